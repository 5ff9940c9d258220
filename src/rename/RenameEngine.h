#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

#include "rename/FileSystem.h"
#include "rename/Message.h"

// One batch as the main window holds it when the user confirms.
struct RenameJob {
    QString folderPath;               // the folder the listed files are in
    QString labelCaption;             // the destination folder
    bool changeDestination = false;   // the files move to labelCaption
    QString startText;                // the start number as typed
    QString prefix;                   // serial mode only
    QString suffix;                   // serial mode only
    std::vector<QByteArray> entries;  // plain file names, native bytes, in serial order
};

// Why a batch ended. Every failure has its own number, so none passes for a
// run that went through.
namespace RenameFailure {
inline constexpr int None = 0;
inline constexpr int SerialOverflow = 6;   // the start or last serial is above 32767
inline constexpr int BadStartNumber = 13;  // the start number is not plain digits
inline constexpr int FolderMissing = 53;   // the destination folder does not exist
inline constexpr int NameTaken = 58;       // a file of the new name exists
inline constexpr int AccessError = 75;     // any other refusal of the rename
}  // namespace RenameFailure

struct RenameResult {
    int failure = RenameFailure::None;
    int errorNumber = 0;          // the errno of the failed rename
    int failedIndex = -1;         // the entry whose rename failed
    int i = 0;                    // its serial; after a full run, one past the last serial
    QByteArray OLDNAME, NEWNAME;  // the full paths of the last rename tried
    int renamed = 0;              // entries that now carry their new names
};

// The naming rules, on native bytes. The serial is written in decimal, padded
// on the left with "0" to maskWidth and never cut. The extension is what
// follows the entry's last "."; an entry without any "." keeps none and gets
// no "." either.

// prefix + serial + suffix + "." + extension
QByteArray serialName(const QByteArray& entry, const QByteArray& prefix, int serial, int maskWidth,
                      const QByteArray& suffix);
// the entry without its extension + serial + "." + extension
QByteArray originalName(const QByteArray& entry, int serial, int maskWidth);

// Rename every entry, in order, from the source folder into NEW_PATH: to
// serialName (RENAME_serial) or originalName (RENAME_original). One file at a
// time; the first failure ends the run and leaves the later files untouched.
// A start number that is not plain digits, serials past 32767, and a new name
// the file system could not hold exactly as built (too long, or with a NUL or
// a separator in it: AccessError) end the run before any file is touched.
RenameResult RENAME_serial(const RenameJob& job, FileSystem& fs);
RenameResult RENAME_original(const RenameJob& job, FileSystem& fs);

// The message that reports a failed run; nothing when it went through.
std::optional<Message> failureMessage(const RenameJob& job, const RenameResult& result);
