#include "ui/platform/FileList.h"

#include "app/NativeName.h"
#include "ui/platform/FileListing.h"

FileList::FileList(QObject* parent) : QObject(parent) {}

void FileList::setPath(const QString& folder) {
    path_ = folder;
    Refresh();
    emit pathChanged();
}

void FileList::setPattern(const QString& patterns) {
    pattern_ = patterns;
    Refresh();
    emit patternChanged();
}

void FileList::Refresh() {
    int error = 0;
    names_ = listMatchingFiles(toNative(path_), PatternSet(toNative(pattern_)), &error);
    lastError_ = error;
}
