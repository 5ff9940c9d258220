// Name building on any input: the extension, the serial setup, the two new-
// name builders, and a whole run of the engine over a folder kept in memory,
// where no file may be lost or written over whatever the names are.

#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>

#include "app/Module1.h"
#include "app/NativeName.h"
#include "rename/NumberSetup.h"
#include "rename/RenameEngine.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

QByteArray padded(int serial, int width) {
    return QByteArray::number(serial).rightJustified(width, '0');
}

// One folder, "/f", in memory: name -> the file's own number.
class MemoryFileSystem : public FileSystem {
public:
    std::map<QByteArray, int> files;

    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        check(from.startsWith("/f/") && to.startsWith("/f/"));
        const QByteArray name = to.mid(3);
        // The engine must never hand on a name it did not mean.
        check(!name.contains('/') && !name.contains('\0') && name.size() <= 255);
        if (files.count(to))
            return EEXIST;
        const auto it = files.find(from);
        if (it == files.end())
            return ENOENT;
        const int id = it->second;
        files.erase(it);
        files[to] = id;
        return 0;
    }
    bool folderExists(const QByteArray& path) override { return path == "/f/" || path == "/f"; }
    qsizetype longestName(const QByteArray&) override { return 255; }
};

void checkNames(FuzzedDataProvider& in) {
    const QByteArray entry = bytes(in.ConsumeRandomLengthString(300));
    const QByteArray prefix = bytes(in.ConsumeRandomLengthString(300));
    const QByteArray suffix = bytes(in.ConsumeRandomLengthString(300));
    const int serial = in.ConsumeIntegralInRange<int>(0, 32767);
    const int maskWidth = in.ConsumeIntegralInRange<int>(0, 400);

    const qsizetype dot = entry.lastIndexOf('.');
    const QByteArray extension = EXT_get(entry);
    check(dot < 0 ? extension.isEmpty() : extension == entry.mid(dot + 1));
    // The text form agrees with the bytes, whatever the bytes are.
    check(toNative(EXT_get(fromNative(entry))) == extension);

    const QByteArray dotted = dot < 0 ? QByteArray() : entry.mid(dot);
    const QByteArray digits = padded(serial, maskWidth);
    check(serialName(entry, prefix, serial, maskWidth, suffix) ==
          prefix + digits + suffix + dotted);
    check(originalName(entry, serial, maskWidth) ==
          (dot < 0 ? entry : entry.left(dot)) + digits + dotted);
}

void checkSetup(FuzzedDataProvider& in) {
    const bool changeDestination = in.ConsumeBool();
    const int count = in.ConsumeIntegralInRange<int>(1, 40000);
    const QString label = QString::fromUtf8(bytes(in.ConsumeRandomLengthString(64)));
    const QString folder = QString::fromUtf8(bytes(in.ConsumeRandomLengthString(64)));
    const QString start = QString::fromUtf8(bytes(in.ConsumeRandomLengthString(24)));

    const NumberSetup setup = NUMBER_setup(changeDestination, label, folder, start, count);
    check(setup.NEW_PATH.endsWith(u'/'));
    check(setup.NEW_PATH.startsWith(changeDestination ? label : folder));
    check(setup.DIGITS >= 1);
    check(setup.FORMAT_MASK.size() == std::max<qsizetype>(setup.DIGITS, start.size()));
    check(setup.FORMAT_MASK.count(u'0') == setup.FORMAT_MASK.size());
    if (const std::optional<int> value = plainStartNumber(start); value && *value <= maxSerial)
        check(setup.DIGITS == QString::number(*value + count - 1).size());
}

void checkRun(FuzzedDataProvider& in) {
    const bool original = in.ConsumeBool();
    RenameJob job;
    job.folderPath = QStringLiteral("/f");
    job.labelCaption = job.folderPath;
    job.startText = QString::fromUtf8(bytes(in.ConsumeRandomLengthString(8)));
    job.prefix = fromNative(bytes(in.ConsumeRandomLengthString(40)));
    job.suffix = fromNative(bytes(in.ConsumeRandomLengthString(40)));
    MemoryFileSystem fs;
    const int count = in.ConsumeIntegralInRange<int>(0, 40);
    for (int k = 0; k < count; ++k) {
        // What a folder listing can hold: no separator, no NUL, no duplicate.
        QByteArray entry = bytes(in.ConsumeRandomLengthString(24));
        entry.replace('/', '_').replace('\0', '_');
        if (entry.isEmpty() || fs.files.count("/f/" + entry))
            continue;
        fs.files["/f/" + entry] = int(job.entries.size());
        job.entries.push_back(entry);
    }
    const std::map<QByteArray, int> before = fs.files;
    const RenameResult result = original ? RENAME_original(job, fs) : RENAME_serial(job, fs);

    // Every file is still there once, and the files before the failure (all
    // of them when there was none) are the ones that moved.
    check(fs.files.size() == before.size());
    std::map<int, QByteArray> nameOf;
    for (const auto& [name, id] : fs.files)
        nameOf[id] = name;
    check(nameOf.size() == before.size());
    const int done =
        result.failure == RenameFailure::None ? int(job.entries.size()) : result.renamed;
    check(result.renamed == done);
    for (int id = done; id < int(job.entries.size()); ++id)
        check(nameOf[id] == "/f/" + job.entries[size_t(id)]);
    // A run that went through needed a start number that could number it.
    if (result.failure == RenameFailure::None && !job.entries.empty())
        check(plainStartNumber(job.startText).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            checkNames(in);
            break;
        case 1:
            checkSetup(in);
            break;
        default:
            checkRun(in);
            break;
    }
    return 0;
}
