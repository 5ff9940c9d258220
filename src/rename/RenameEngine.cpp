#include "rename/RenameEngine.h"

#include <algorithm>
#include <cerrno>

#include "app/NativeName.h"
#include "rename/NumberSetup.h"
#include "rename/RenameCommand.h"

// Names are built by appending to buffers that live through the whole run:
// a batch may hold tens of thousands of files, and the loop should cost little
// more than the renames themselves.

namespace {

void appendSerial(QByteArray& out, int serial, int maskWidth) {
    Q_ASSERT(serial >= 0);
    char digits[12];
    int n = int(sizeof digits);
    unsigned value = unsigned(serial);
    do {
        digits[--n] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const int width = int(sizeof digits) - n;
    if (maskWidth > width)
        out.append(qsizetype(maskWidth - width), '0');
    out.append(digits + n, width);
}

// The extension with its dot, or nothing when the entry has no dot.
QByteArrayView dotAndExtension(const QByteArray& entry, qsizetype dot) {
    return dot < 0 ? QByteArrayView() : QByteArrayView(entry).sliced(dot);
}

void appendSerialName(QByteArray& out, const QByteArray& entry, const QByteArray& prefix,
                      int serial, int maskWidth, const QByteArray& suffix) {
    out.append(prefix);
    appendSerial(out, serial, maskWidth);
    out.append(suffix);
    out.append(dotAndExtension(entry, entry.lastIndexOf('.')));
}

void appendOriginalName(QByteArray& out, const QByteArray& entry, int serial, int maskWidth) {
    const qsizetype dot = entry.lastIndexOf('.');
    out.append(QByteArrayView(entry).first(dot < 0 ? entry.size() : dot));
    appendSerial(out, serial, maskWidth);
    out.append(dotAndExtension(entry, dot));
}

// Only asked after a failure, so a run that goes through pays nothing for it.
int failureFor(int error, FileSystem& fs, const QByteArray& destination) {
    switch (error) {
        case EEXIST:
        case ENOTEMPTY:
            return RenameFailure::NameTaken;
        case ENOENT:
        case ENOTDIR:
            return fs.folderExists(destination) ? RenameFailure::AccessError
                                                : RenameFailure::FolderMissing;
        default:
            return RenameFailure::AccessError;
    }
}

// Why the file system could not give a file this name exactly as it was
// built, or 0. A NUL would cut the name short where the system reads it, a
// separator would send the file into another folder.
int nameProblem(QByteArrayView name, qsizetype longest) {
    if (name.contains('\0') || name.contains('/'))
        return EINVAL;
#ifdef Q_OS_WIN
    if (name.contains('\\'))
        return EINVAL;
#endif
    return nativeNameLength(name) > longest ? ENAMETOOLONG : 0;
}

template <typename AppendNewName>
RenameResult renameAll(const RenameJob& job, FileSystem& fs, AppendNewName appendNewName,
                       qsizetype extraNameLength) {
    RenameResult result;
    const qsizetype count = qsizetype(job.entries.size());
    const std::optional<int> start = plainStartNumber(job.startText);
    if (!start) {
        result.failure = RenameFailure::BadStartNumber;
        return result;
    }
    result.i = *start;
    if (*start > maxSerial || *start + count - 1 > maxSerial) {
        result.failure = RenameFailure::SerialOverflow;
        return result;
    }

    const NumberSetup setup = NUMBER_setup(job.changeDestination, job.labelCaption, job.folderPath,
                                           job.startText, int(count));
    const int maskWidth = int(setup.FORMAT_MASK.size());
    const QByteArray newPath = toNative(setup.NEW_PATH);

    QByteArray oldName = toNative(job.folderPath);
    if (!oldName.endsWith('/'))
        oldName.append('/');
    const qsizetype oldBase = oldName.size();
    const qsizetype newBase = newPath.size();

    qsizetype longestEntry = 0;
    for (const QByteArray& entry : job.entries)
        longestEntry = std::max(longestEntry, entry.size());
    oldName.reserve(oldBase + longestEntry);
    QByteArray newName;
    newName.reserve(newBase + longestEntry + extraNameLength + maskWidth + 12);
    newName.append(newPath);

    // Every new name is built and measured before the first file moves: a
    // name the file system cannot hold would otherwise stop the batch halfway,
    // with part of the folder renamed and no way back.
    const qsizetype longest = fs.longestName(newPath);
    int serial = *start;
    for (qsizetype k = 0; k < count; ++k, ++serial) {
        const QByteArray& entry = job.entries[size_t(k)];
        newName.truncate(newBase);
        appendNewName(newName, entry, serial, maskWidth);
        if (const int error = nameProblem(QByteArrayView(newName).sliced(newBase), longest)) {
            result.failure = RenameFailure::AccessError;
            result.errorNumber = error;
            result.failedIndex = int(k);
            result.i = serial;
            result.OLDNAME = oldName + entry;
            result.NEWNAME = newName;
            return result;
        }
    }

    serial = *start;
    for (qsizetype k = 0; k < count; ++k, ++serial) {
        const QByteArray& entry = job.entries[size_t(k)];
        oldName.truncate(oldBase);
        oldName.append(entry);
        newName.truncate(newBase);
        appendNewName(newName, entry, serial, maskWidth);

        // A file that already carries its new name is done; the kernel would
        // call the name taken and stop the batch.
        if (oldName != newName) {
            if (const int error = fs.renameNoReplace(oldName, newName)) {
                result.failure = failureFor(error, fs, newPath);
                result.errorNumber = error;
                result.failedIndex = int(k);
                break;
            }
        }
        ++result.renamed;
    }
    result.i = serial;
    if (count > 0) {
        result.OLDNAME = oldName;
        result.NEWNAME = newName;
    }
    return result;
}

}  // namespace

QByteArray serialName(const QByteArray& entry, const QByteArray& prefix, int serial, int maskWidth,
                      const QByteArray& suffix) {
    QByteArray name;
    appendSerialName(name, entry, prefix, serial, maskWidth, suffix);
    return name;
}

QByteArray originalName(const QByteArray& entry, int serial, int maskWidth) {
    QByteArray name;
    appendOriginalName(name, entry, serial, maskWidth);
    return name;
}

RenameResult RENAME_serial(const RenameJob& job, FileSystem& fs) {
    const QByteArray prefix = toNative(job.prefix);
    const QByteArray suffix = toNative(job.suffix);
    return renameAll(
        job, fs,
        [&](QByteArray& out, const QByteArray& entry, int serial, int maskWidth) {
            appendSerialName(out, entry, prefix, serial, maskWidth, suffix);
        },
        prefix.size() + suffix.size());
}

RenameResult RENAME_original(const RenameJob& job, FileSystem& fs) {
    return renameAll(
        job, fs,
        [](QByteArray& out, const QByteArray& entry, int serial, int maskWidth) {
            appendOriginalName(out, entry, serial, maskWidth);
        },
        0);
}

std::optional<Message> failureMessage(const RenameJob& job, const RenameResult& result) {
    switch (result.failure) {
        case RenameFailure::None:
            return std::nullopt;
        case RenameFailure::BadStartNumber:
            return badStartNumberMessage();
        case RenameFailure::SerialOverflow:
            return serialOverflowMessage();
        case RenameFailure::FolderMissing:
            return Message{
                QStringLiteral("保存先フォルダーが存在しないので処理できませんでした."), 0, {}};
        case RenameFailure::NameTaken: {
            const bool known =
                result.failedIndex >= 0 && size_t(result.failedIndex) < job.entries.size();
            const QString entry =
                known ? displayName(job.entries[size_t(result.failedIndex)]) : QString();
            return Message{QStringLiteral("保存先に同じ名前が存在しています.") +
                               QStringLiteral("\r\n\r\n") + entry +
                               QStringLiteral(" より後のファイルが変換できませんでした."),
                           48, QStringLiteral("注意")};
        }
        default:  // 75, and any failure without a message of its own: never silent
            return Message{QStringLiteral("エラーによって処理できませんでした."), 0, {}};
    }
}
