#pragma once

#include "core/files/ListedFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <vector>

// The files the conversion list is filled from: the regular, non-hidden files
// of one folder that match one of a ";"-separated list of wildcard patterns,
// in natural order, the program's own files left out (see ProgramFiles.h).
// It is never shown, so it is a plain object that tools without a screen
// drive exactly as the window does. Names stay the native bytes of the
// directory listing.
class FileList : public QObject {
    Q_OBJECT
public:
    explicit FileList(QObject* parent = nullptr);

    QString path() const { return path_; }
    // Points the list at folder, reads it and raises pathChanged, even when
    // the folder is the one already listed, so that a folder change always
    // ends with a fresh conversion list.
    void setPath(const QString& folder);

    QString pattern() const { return pattern_; }
    // Sets the filter, reads the folder and raises patternChanged.
    void setPattern(const QString& patterns);

    // Reads the folder again with the current filter.
    void refresh();

    // Each with its name and its inode number as the folder listing gave them.
    const std::vector<ListedFile>& files() const { return files_; }

    // Whether the folder's sidecars are read too, from the next read on: the
    // files the pattern leaves out whose names are sidecars' (see Shots.h),
    // which go with the listed photos of their names. Off at first.
    void setReadsSidecars(bool on) { readsSidecars_ = on; }
    // Empty while they are not read.
    const std::vector<ListedFile>& sidecars() const { return sidecars_; }

    // errno of the last read that failed, 0 when it succeeded.
    int lastError() const { return lastError_; }

signals:
    void pathChanged();
    void patternChanged();

private:
    void read();

    QString path_;
    QString pattern_ = QStringLiteral("*.*");
    std::vector<ListedFile> files_;
    std::vector<ListedFile> sidecars_;
    bool readsSidecars_ = false;
    int lastError_ = 0;
    bool justRead_ = false;
};

// The pattern of a list with no extensions: it matches no file a camera
// makes, and is never stored.
inline constexpr char16_t kNoExtensionsPattern[] = u"*.ああ";
