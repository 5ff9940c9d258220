// Name building on any input: the extension, the serial width, the two
// naming rules, and a whole rename command over a folder kept in memory,
// where no file may be lost or written over whatever the names are.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>

#include <QDateTime>

#include "core/rename/DateFields.h"
#include "core/rename/NameRules.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/SerialNumbers.h"
#include "core/text/NativeName.h"

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
    const int width = in.ConsumeIntegralInRange<int>(0, 400);

    const qsizetype dot = entry.lastIndexOf('.');
    const QByteArrayView extension = extensionOf(entry);
    check(dot < 0 ? extension.isEmpty() : extension == entry.mid(dot + 1));
    // The text form keeps the bytes, whatever the bytes are.
    check(toNative(fromNative(entry)) == entry);

    const QByteArray dotted = dot < 0 ? QByteArray() : entry.mid(dot);
    const QByteArray digits = padded(serial, width);
    check(serialName(entry, prefix, serial, width, suffix) == prefix + digits + suffix + dotted);
    check(ownNameWithSerial(entry, serial, width) ==
          (dot < 0 ? entry : entry.left(dot)) + digits + dotted);

    // The date fields' calendar is Qt's, from year 1 to 9999.
    const qint64 msecs =
        in.ConsumeIntegralInRange<qint64>(-62'135'596'800'000LL, 253'402'300'799'999LL);
    const WallClock clock = wallClock(msecs);
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
    check(clock.year == at.date().year() && clock.month == at.date().month() &&
          clock.dayOfMonth == at.date().day() && clock.hour == at.time().hour() &&
          clock.minute == at.time().minute() && clock.second == at.time().second());
}

void checkWidth(FuzzedDataProvider& in) {
    const int count = in.ConsumeIntegralInRange<int>(1, 40000);
    const QString start = QString::fromUtf8(bytes(in.ConsumeRandomLengthString(24)));
    const std::optional<int> value = plainStartNumber(start);
    if (!value) {
        check(start.isEmpty() || std::any_of(start.begin(), start.end(),
                                             [](QChar c) { return c < u'0' || c > u'9'; }));
        return;
    }
    check(*value >= 0 && *value <= kMaxSerial + 1);
    const int width = serialWidth(start, *value, count);
    check(width >= start.size());
    check(width >= QString::number(*value + count - 1).size());
    check(width == std::max(start.size(), QString::number(*value + count - 1).size()));
}

// Answers yes to every question.
class YesHost : public RenameCommandHost {
public:
    void refuse(const Refusal&) override {}
    bool confirm(const Message&, const RenamePlan&) override { return true; }
    void report(const Message&) override {}
};

void checkRun(FuzzedDataProvider& in) {
    RenameRequest request;
    request.ownName = in.ConsumeBool();
    request.folder = QStringLiteral("/f");
    request.destination = request.folder;
    request.startNumber = QString::fromUtf8(bytes(in.ConsumeRandomLengthString(8)));
    request.prefix = fromNative(bytes(in.ConsumeRandomLengthString(40)));
    request.suffix = fromNative(bytes(in.ConsumeRandomLengthString(40)));
    MemoryFileSystem fs;
    const int count = in.ConsumeIntegralInRange<int>(0, 40);
    std::vector<ListedFile> files;
    for (int k = 0; k < count; ++k) {
        // What a folder listing can hold: no separator, no NUL, no duplicate.
        QByteArray entry = bytes(in.ConsumeRandomLengthString(24));
        entry.replace('/', '_').replace('\0', '_');
        if (entry.isEmpty() || fs.files.count("/f/" + entry))
            continue;
        fs.files["/f/" + entry] = int(files.size());
        files.push_back({entry, 0, {}});
    }
    // Last, so that inputs made before they were asked keep their meaning.
    request.allowNameOverlaps = in.ConsumeBool();
    request.shotsTogether = in.ConsumeBool();
    // Times over some 25 000 years around 1970, for names with date fields.
    request.restartSerialsEachDay = in.ConsumeBool();
    for (ListedFile& file : files) {
        if (in.ConsumeBool()) {
            file.time.localMsecs =
                in.ConsumeIntegralInRange<qint64>(-400'000'000'000'000LL, 400'000'000'000'000LL);
            file.time.source = in.ConsumeBool() ? TimeSource::Exif : TimeSource::FileModified;
        }
    }
    // Files of one name in one shot, named sidecars going along: the plan's
    // entries are then in another order than the files were made in.
    request.shots = request.shotsTogether ? formShots(files, {}, {}) : oneShotEach(files);
    const std::map<QByteArray, int> before = fs.files;
    YesHost host;
    const std::optional<RenameOutcome> outcome = runRenameCommand(request, fs, host);

    // Every file is still there once, and the files before the stop (all of
    // them when there was none) are the ones that moved.
    check(fs.files.size() == before.size());
    std::map<int, QByteArray> nameOf;
    for (const auto& [name, id] : fs.files)
        nameOf[id] = name;
    check(nameOf.size() == before.size());
    MemoryFileSystem planner;
    const RenamePlan plan = RenamePlan::make(request, planner);
    const int entries = plan.count();
    check(entries == int(files.size()));
    const int done = !outcome ? 0 : renamedCount(*outcome);
    check(!outcome || !std::holds_alternative<RenameFinished>(*outcome) || done == entries);
    const bool finished = outcome && std::holds_alternative<RenameFinished>(*outcome);
    for (int k = 0; k < entries; ++k) {
        const QByteArray oldPath = "/f/" + plan.entry(k).toByteArray();
        const int id = before.at(oldPath);
        if (!request.allowNameOverlaps || !outcome) {
            // In list order: the entries after the stop are untouched.
            if (k >= done)
                check(nameOf[id] == oldPath);
        } else {
            // In whatever order the files went, each is under its old or its
            // new name, never a spare one; all under their new ones where the
            // run went through. (A plan refused before the question, its
            // names not made, ran nothing.)
            const QByteArray newPath = "/f/" + plan.newName(k).toByteArray();
            check(nameOf[id] == newPath || (!finished && nameOf[id] == oldPath));
        }
    }
    // A run needed a start number that could number it.
    if (outcome)
        check(plainStartNumber(request.startNumber).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            checkNames(in);
            break;
        case 1:
            checkWidth(in);
            break;
        default:
            checkRun(in);
            break;
    }
    return 0;
}
