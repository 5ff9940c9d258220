#include "core/rename/BatchJournal.h"

#include "core/rename/RenamePlan.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <concepts>
#include <cstring>
#include <limits>

// The journal in bytes:
//
//   TOLVANE-UNDO 2
//   kind inode | kind size-time
//   started <nanoseconds since 1970>
//   source <length>:<bytes>
//   target <length>:<bytes>
//   count <n>
//   e <length>:<old> <length>:<new> <device> <inode>     (n lines; "- -" when unknown)
//   end <journalSum of everything above, 16 hex digits>
//   id <index> <size> <nanoseconds> <FNV-1a 32 of "index size nanoseconds", 8 hex digits>
//   done <renamed> <FNV-1a 32 of "renamed", 8 hex digits>   (once the batch is over)
//
// Names are the folder's own bytes, counted, so no byte of them needs
// escaping. The sums tell a journal cut short or damaged from a whole one.

namespace {

const QByteArray kHeader = "TOLVANE-UNDO 2\n";
// A journal of a card's worth of files is a few megabytes; anything far
// bigger is not ours.
constexpr qint64 kLargestJournal = 512 * 1024 * 1024;

// FNV-1a taken a word of 8 bytes at a time (little-endian; the last one filled
// out with zeros, then the length), each step's high half folded into its low
// half. A journal is summed before a batch's first rename, and a byte at a time
// cost as much as writing it out.
quint64 journalSum(QByteArrayView bytes) {
    constexpr quint64 kPrime = 1099511628211ull;
    quint64 hash = 14695981039346656037ull;
    const auto step = [&hash](quint64 word) {
        hash = (hash ^ word) * kPrime;
        hash ^= hash >> 32;
    };
    qsizetype at = 0;
    for (; at + 8 <= bytes.size(); at += 8)
        step(qFromLittleEndian<quint64>(bytes.data() + at));
    if (at < bytes.size()) {
        uchar last[8] = {};
        std::memcpy(last, bytes.data() + at, size_t(bytes.size() - at));
        step(qFromLittleEndian<quint64>(last));
    }
    step(quint64(bytes.size()));
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

// Writes the journal into a buffer made big enough beforehand. The journal is
// written before a batch's first rename, with a line for each of tens of
// thousands of files; appending piece by piece to a growing byte array cost
// as much as a fifth of the renames themselves on a fast disk.
class Cursor {
public:
    // The most a number takes: 20 digits, or a sign and 19.
    static constexpr qsizetype kLongestNumber = 20;

    explicit Cursor(char* at) : at_(at) {}
    char* at() const { return at_; }

    void put(QByteArrayView bytes) {
        if (bytes.isEmpty())  // an empty view may have no bytes at all to copy from
            return;
        std::memcpy(at_, bytes.data(), size_t(bytes.size()));
        at_ += bytes.size();
    }
    void put(char c) { *at_++ = c; }
    void putNumber(std::integral auto value) {
        at_ = std::to_chars(at_, at_ + kLongestNumber, value).ptr;
    }
    void putCounted(QByteArrayView bytes) {
        putNumber(bytes.size());
        put(':');
        put(bytes);
    }

private:
    char* at_;
};

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

QByteArray encodeBatch(const BatchHeading& heading, const JournalEntries& entries) {
    // Each line's words and spaces, and room for every number in full.
    constexpr qsizetype kPerLine = 16 + 4 * Cursor::kLongestNumber;
    const int count = entries.count();
    qsizetype most =
        kHeader.size() + 4 * kPerLine + heading.sourceFolder.size() + heading.targetFolder.size();
    for (int k = 0; k < count; ++k)
        most += kPerLine + entries.oldName(k).size() + entries.newName(k).size();
    QByteArray out(most, Qt::Uninitialized);
    Cursor cursor(out.data());
    cursor.put(kHeader);
    cursor.put("kind ");
    cursor.put(kindName(heading.kind));
    cursor.put("\nstarted ");
    cursor.putNumber(heading.startedNs);
    cursor.put("\nsource ");
    cursor.putCounted(heading.sourceFolder);
    cursor.put("\ntarget ");
    cursor.putCounted(heading.targetFolder);
    cursor.put("\ncount ");
    cursor.putNumber(count);
    cursor.put('\n');
    for (int k = 0; k < count; ++k) {
        cursor.put("e ");
        cursor.putCounted(entries.oldName(k));
        cursor.put(' ');
        cursor.putCounted(entries.newName(k));
        const std::optional<FileIdentity> identity =
            heading.kind == IdentityKind::Inode ? entries.identity(k) : std::nullopt;
        if (identity) {
            cursor.put(' ');
            cursor.putNumber(identity->device);
            cursor.put(' ');
            cursor.putNumber(identity->inode);
            cursor.put('\n');
        } else {
            cursor.put(" - -\n");
        }
    }
    out.truncate(cursor.at() - out.constData());
    const quint64 sum = journalSum(out);
    out += "end ";
    out += hex(sum, 16);
    out += '\n';
    return out;
}

QByteArray encodeBatchRecord(const BatchRecord& record) {
    struct RecordEntries : JournalEntries {
        const std::vector<JournalEntry>& entries;
        explicit RecordEntries(const std::vector<JournalEntry>& e) : entries(e) {}
        int count() const override { return int(entries.size()); }
        QByteArrayView oldName(int k) const override { return entries[size_t(k)].oldName; }
        QByteArrayView newName(int k) const override { return entries[size_t(k)].newName; }
        std::optional<FileIdentity> identity(int k) const override {
            return entries[size_t(k)].identity;
        }
    };
    QByteArray out = encodeBatch(record, RecordEntries(record.entries));
    for (qsizetype k = 0; k < qsizetype(record.entries.size()); ++k) {
        const std::optional<FileIdentity>& identity = record.entries[size_t(k)].identity;
        if (identity && record.kind == IdentityKind::SizeAndTime)
            out += encodeIdentity(int(k), *identity);
    }
    if (record.renamed)
        out += encodeRenamed(*record.renamed);
    return out;
}

QByteArray encodeIdentity(int index, const FileIdentity& identity) {
    const QByteArray fields = QByteArray::number(index) + ' ' + QByteArray::number(identity.size) +
                              ' ' + QByteArray::number(identity.modifiedNs);
    return "id " + fields + ' ' + hex(fnv32(fields), 8) + '\n';
}

QByteArray encodeRenamed(int renamed) {
    const QByteArray field = QByteArray::number(renamed);
    return "done " + field + ' ' + hex(fnv32(field), 8) + '\n';
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
    if (!in.ok() || sum != journalSum(bytes.first(summed)))
        return std::nullopt;
    if (record.sourceFolder.isEmpty() || !record.sourceFolder.endsWith('/') ||
        record.targetFolder.isEmpty() || !record.targetFolder.endsWith('/'))
        return std::nullopt;

    // The identities appended as the batch went, up to the first torn line,
    // and how many entries it ran, where it came to its end.
    while (!in.atEnd()) {
        if (bytes.sliced(in.at()).startsWith("done ")) {
            const qsizetype begin = in.at() + 5;
            in.expect("done ");
            const qint64 renamed = in.number();
            const qsizetype end = in.at();
            in.expect(" ");
            const quint64 lineSum = in.hexNumber(8);
            in.expect("\n");
            if (in.ok() && lineSum == fnv32(bytes.sliced(begin, end - begin)) && renamed <= count)
                record.renamed = int(renamed);
            break;
        }
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

namespace {

// The plan's steps as the journal reads them, in the order they run, each
// with its file's inode number from the listing on the batch's device. A
// file that goes by way of a spare name has two steps.
class PlanEntries : public JournalEntries {
public:
    PlanEntries(const RenamePlan& plan, quint64 device) : plan_(plan), device_(device) {}
    int count() const override { return plan_.stepCount(); }
    QByteArrayView oldName(int i) const override { return plan_.stepFrom(i); }
    QByteArrayView newName(int i) const override { return plan_.stepTo(i); }
    std::optional<FileIdentity> identity(int i) const override {
        return FileIdentity{device_, plan_.inode(plan_.step(i).entry), -1, 0, 0};
    }

private:
    const RenamePlan& plan_;
    quint64 device_;
};

bool writeWhole(int fd, const QByteArray& bytes) {
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

}  // namespace

JournalWriter::~JournalWriter() {
    if (fd_ >= 0)
        ::close(fd_);
}

JournalState JournalWriter::begin(const QString& path, const RenamePlan& plan) {
    path_ = path;
    BatchHeading heading{plan.sourceFolder(), plan.targetFolder(),
                         fs_.identityKind(plan.sourceFolder()), fileClockNow()};
    quint64 device = 0;
    if (heading.kind == IdentityKind::Inode) {
        bool everyInodeKnown = true;
        for (int k = 0; k < plan.count() && everyInodeKnown; ++k)
            everyInodeKnown = plan.inode(k) != 0;
        const std::optional<FileIdentity> first =
            everyInodeKnown && plan.count() > 0
                ? fs_.identify(plan.sourceFolder() + plan.entry(0).toByteArray())
                : std::nullopt;
        if (first && first->inode == plan.inode(0))
            device = first->device;
        else
            heading.kind = IdentityKind::SizeAndTime;
    }
    identityPerFile_ = heading.kind == IdentityKind::SizeAndTime;

    // Written beside its place and moved there once whole: a crash while it
    // is written leaves no journal at path, or a whole one.
    const QByteArray target = toNative(path);
    const QByteArray temporary = toNative(journalTemporaryPath(path));
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || !writeWhole(fd, encodeBatch(heading, PlanEntries(plan, device))) ||
        ::rename(temporary.constData(), target.constData()) != 0) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temporary.constData());
        // No journal at path rather than another batch's, whose files may
        // carry other names by now.
        ::unlink(target.constData());
        state_ = JournalState::Failed;
        return state_;
    }
    fd_ = fd;
    state_ = JournalState::Written;
    return state_;
}

std::optional<RecordFailure> JournalWriter::beforeRename(int k, const QByteArray& oldPath) {
    if (state_ != JournalState::Written || !identityPerFile_)
        return std::nullopt;
    // Once an append failed, the reader stops at the torn line: no later one
    // would be read.
    if (fd_ < 0)
        return RecordFailure{true, EIO};
    errno = 0;
    const std::optional<FileIdentity> identity = fs_.identify(oldPath);
    if (!identity)
        return RecordFailure{false, errno != 0 ? errno : ENOENT};
    const QByteArray line = encodeIdentity(k, *identity);
    // O_APPEND is not needed: only this writer writes, at the end.
    const ssize_t written = ::write(fd_, line.constData(), size_t(line.size()));
    if (written != line.size()) {
        const int error = written < 0 ? errno : ENOSPC;
        ::close(fd_);
        fd_ = -1;
        return RecordFailure{true, error};
    }
    return std::nullopt;
}

void JournalWriter::end(int renamed) {
    if (fd_ >= 0) {
        // Where this line is missing or cut short (a kill, a full disk), the
        // undo looks at every entry that may have been renamed, which only
        // takes longer.
        const QByteArray line = encodeRenamed(renamed);
        [[maybe_unused]] const ssize_t written =
            ::write(fd_, line.constData(), size_t(line.size()));
        ::close(fd_);
        fd_ = -1;
    }
    if (state_ == JournalState::Written && renamed == 0) {
        removeJournal(path_);
        state_ = JournalState::Removed;
    }
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
