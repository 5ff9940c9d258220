#include "core/files/FileList.h"

#include "core/files/FileListing.h"
#include "core/files/ProgramFiles.h"
#include "core/text/NativeName.h"

FileList::FileList(QObject* parent) : QObject(parent) {}

void FileList::setPath(const QString& folder) {
    path_ = folder;
    read();
    // The handlers of the change refresh the list first thing; it was read a
    // moment ago for this very change, so that refresh is not done twice.
    const bool outer = justRead_;
    justRead_ = true;
    emit pathChanged();
    justRead_ = outer;
}

void FileList::setPattern(const QString& patterns) {
    pattern_ = patterns;
    read();
    const bool outer = justRead_;
    justRead_ = true;
    emit patternChanged();
    justRead_ = outer;
}

void FileList::refresh() {
    if (justRead_) {
        justRead_ = false;
        return;
    }
    read();
}

void FileList::read() {
    int error = 0;
    const QByteArray folder = toNative(path_);
    sidecars_.clear();
    files_ = listMatchingFiles(folder, PatternSet(toNative(pattern_)), &error,
                               readsSidecars_ ? &sidecars_ : nullptr);
    leaveOutProgramFiles(folder, files_);
    lastError_ = error;
}
