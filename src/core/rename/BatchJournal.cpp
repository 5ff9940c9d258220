#include "core/rename/BatchJournal.h"

#include "core/text/NativeName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

// The journal in bytes:
//
//   TOLVANE-UNDO 1
//   kind inode | kind size-time
//   started <nanoseconds since 1970>
//   source <length>:<bytes>
//   target <length>:<bytes>
//   count <n>
//   e <length>:<old> <length>:<new> <device> <inode>     (n lines; "- -" when unknown)
//   end <FNV-1a 64 of everything above, 16 hex digits>
//   id <index> <size> <nanoseconds> <FNV-1a 32 of "index size nanoseconds", 8 hex digits>
//
// Names are the folder's own bytes, counted, so no byte of them needs
// escaping. The sums tell a journal cut short or damaged from a whole one.

namespace {

const QByteArray kHeader = "TOLVANE-UNDO 1\n";
// A journal of a card's worth of files is a few megabytes; anything far
// bigger is not ours.
constexpr qint64 kLargestJournal = 512 * 1024 * 1024;

quint64 fnv64(QByteArrayView bytes) {
    quint64 hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

quint32 fnv32(QByteArrayView bytes) {
    quint32 hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

QByteArray hex(quint64 value, int digits) {
    return QByteArray::number(value, 16).rightJustified(digits, '0');
}

void appendCounted(QByteArray& out, QByteArrayView bytes) {
    out += QByteArray::number(bytes.size());
    out += ':';
    out += bytes;
}

const char* kindName(IdentityKind kind) {
    return kind == IdentityKind::Inode ? "inode" : "size-time";
}

// Reads the journal's fields in order; every read fails for good once one has.
class Reader {
public:
    explicit Reader(QByteArrayView bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    qsizetype at() const { return at_; }
    bool atEnd() const { return at_ >= bytes_.size(); }

    void expect(QByteArrayView literal) {
        if (ok_ && bytes_.sliced(at_).startsWith(literal))
            at_ += literal.size();
        else
            ok_ = false;
    }

    // A plain decimal number of at most 19 digits. Not every 19-digit number
    // fits (a time in nanoseconds needs 19), so one that would not is refused.
    qint64 number() {
        qint64 value = 0;
        int digits = 0;
        while (ok_ && at_ < bytes_.size() && bytes_[at_] >= '0' && bytes_[at_] <= '9' &&
               digits < 19) {
            const int digit = bytes_[at_] - '0';
            if (value > (std::numeric_limits<qint64>::max() - digit) / 10) {
                ok_ = false;
                return 0;
            }
            value = value * 10 + digit;
            ++at_;
            ++digits;
        }
        if (digits == 0)
            ok_ = false;
        return value;
    }

    // "-" for a number that is not known.
    std::optional<qint64> optionalNumber() {
        if (ok_ && at_ < bytes_.size() && bytes_[at_] == '-') {
            ++at_;
            return std::nullopt;
        }
        return number();
    }

    quint64 hexNumber(int digits) {
        if (!ok_ || bytes_.size() - at_ < digits) {
            ok_ = false;
            return 0;
        }
        bool converted = false;
        const quint64 value = bytes_.sliced(at_, digits).toULongLong(&converted, 16);
        ok_ = converted;
        at_ += digits;
        return value;
    }

    QByteArray counted() {
        const qint64 length = number();
        expect(":");
        if (!ok_ || length > bytes_.size() - at_) {
            ok_ = false;
            return QByteArray();
        }
        const QByteArray out = bytes_.sliced(at_, length).toByteArray();
        at_ += length;
        return out;
    }

private:
    QByteArrayView bytes_;
    qsizetype at_ = 0;
    bool ok_ = true;
};

}  // namespace

QByteArray encodeBatchRecord(const BatchRecord& record) {
    QByteArray out;
    qsizetype size = 128 + record.sourceFolder.size() + record.targetFolder.size();
    for (const JournalEntry& entry : record.entries)
        size += entry.oldName.size() + entry.newName.size() + 64;
    out.reserve(size);
    out += kHeader;
    out += "kind ";
    out += kindName(record.kind);
    out += "\nstarted ";
    out += QByteArray::number(record.startedNs);
    out += "\nsource ";
    appendCounted(out, record.sourceFolder);
    out += "\ntarget ";
    appendCounted(out, record.targetFolder);
    out += "\ncount ";
    out += QByteArray::number(qsizetype(record.entries.size()));
    out += '\n';
    for (const JournalEntry& entry : record.entries) {
        out += "e ";
        appendCounted(out, entry.oldName);
        out += ' ';
        appendCounted(out, entry.newName);
        if (entry.identity && record.kind == IdentityKind::Inode) {
            out += ' ';
            out += QByteArray::number(entry.identity->device);
            out += ' ';
            out += QByteArray::number(entry.identity->inode);
            out += '\n';
        } else {
            out += " - -\n";
        }
    }
    const quint64 sum = fnv64(out);
    out += "end ";
    out += hex(sum, 16);
    out += '\n';
    for (qsizetype k = 0; k < qsizetype(record.entries.size()); ++k) {
        const std::optional<FileIdentity>& identity = record.entries[size_t(k)].identity;
        if (identity && record.kind == IdentityKind::SizeAndTime)
            out += encodeIdentity(int(k), *identity);
    }
    return out;
}

QByteArray encodeIdentity(int index, const FileIdentity& identity) {
    const QByteArray fields = QByteArray::number(index) + ' ' + QByteArray::number(identity.size) +
                              ' ' + QByteArray::number(identity.modifiedNs);
    return "id " + fields + ' ' + hex(fnv32(fields), 8) + '\n';
}

std::optional<BatchRecord> decodeBatchRecord(QByteArrayView bytes) {
    Reader in(bytes);
    BatchRecord record;
    in.expect(kHeader);
    in.expect("kind ");
    if (in.ok() && bytes.sliced(in.at()).startsWith("inode\n")) {
        record.kind = IdentityKind::Inode;
        in.expect("inode\n");
    } else {
        in.expect("size-time\n");
    }
    in.expect("started ");
    record.startedNs = in.number();
    in.expect("\nsource ");
    record.sourceFolder = in.counted();
    in.expect("\ntarget ");
    record.targetFolder = in.counted();
    in.expect("\ncount ");
    const qint64 count = in.number();
    in.expect("\n");
    // Every entry takes more than ten bytes: a count beyond that is a lie.
    if (!in.ok() || count > (bytes.size() - in.at()) / 10)
        return std::nullopt;
    record.entries.reserve(size_t(count));
    for (qint64 k = 0; k < count && in.ok(); ++k) {
        JournalEntry entry;
        in.expect("e ");
        entry.oldName = in.counted();
        in.expect(" ");
        entry.newName = in.counted();
        in.expect(" ");
        const std::optional<qint64> device = in.optionalNumber();
        in.expect(" ");
        const std::optional<qint64> inode = in.optionalNumber();
        in.expect("\n");
        // Inode numbers belong to an inode journal only: the writer puts
        // none in another, so one there means damage.
        if (device.has_value() != inode.has_value() ||
            (device && record.kind != IdentityKind::Inode))
            return std::nullopt;
        if (device)
            entry.identity = FileIdentity{quint64(*device), quint64(*inode), -1, 0, 0};
        record.entries.push_back(std::move(entry));
    }
    const qsizetype summed = in.at();
    in.expect("end ");
    const quint64 sum = in.hexNumber(16);
    in.expect("\n");
    if (!in.ok() || sum != fnv64(bytes.first(summed)))
        return std::nullopt;
    if (record.sourceFolder.isEmpty() || !record.sourceFolder.endsWith('/') ||
        record.targetFolder.isEmpty() || !record.targetFolder.endsWith('/'))
        return std::nullopt;

    // The identities appended as the batch went, up to the first torn line.
    while (!in.atEnd()) {
        const qsizetype begin = in.at() + 3;
        in.expect("id ");
        const qint64 index = in.number();
        in.expect(" ");
        const qint64 size = in.number();
        in.expect(" ");
        const qint64 modified = in.number();
        const qsizetype end = in.at();
        in.expect(" ");
        const quint64 lineSum = in.hexNumber(8);
        in.expect("\n");
        if (!in.ok() || lineSum != fnv32(bytes.sliced(begin, end - begin)) || index >= count ||
            record.kind != IdentityKind::SizeAndTime)
            break;
        record.entries[size_t(index)].identity = FileIdentity{0, 0, size, modified, 0};
    }
    return record;
}

QString journalTemporaryPath(const QString& path) {
    return path + QStringLiteral(".new");
}

JournalWriter::~JournalWriter() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool JournalWriter::begin(const QString& path, const BatchRecord& record) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    // A new file beside the old journal, renamed over it once whole: a crash
    // while it is written leaves the old journal or the new one, never a mix.
    const QByteArray target = toNative(path);
    const QByteArray temporary = toNative(journalTemporaryPath(path));
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const QByteArray bytes = encodeBatchRecord(record);
    qsizetype written = 0;
    while (fd >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    if (fd < 0 || written != bytes.size() || ::rename(temporary.constData(), target.constData())) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        // No journal rather than one of an older batch, whose files may
        // carry other names by now.
        ::unlink(target.constData());
        return false;
    }
    fd_ = fd;
    return true;
}

bool JournalWriter::recordIdentity(int index, const FileIdentity& identity) {
    if (fd_ < 0)
        return false;
    const QByteArray line = encodeIdentity(index, identity);
    // O_APPEND is not needed: only this writer writes, at the end.
    return ::write(fd_, line.constData(), size_t(line.size())) == line.size();
}

std::optional<BatchRecord> readJournal(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kLargestJournal)
        return std::nullopt;
    return decodeBatchRecord(file.readAll());
}

bool rewriteJournal(const QString& path, const BatchRecord& record) {
    if (record.entries.empty()) {
        removeJournal(path);
        return true;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = encodeBatchRecord(record);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void removeJournal(const QString& path) {
    QFile::remove(path);
}
