#pragma once

#include "core/files/ListedFile.h"
#include "core/rename/BatchHistory.h"

#include <QByteArrayList>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <vector>

// Makes an empty file.
inline void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// A temporary folder that goes away with every name in it: QTemporaryDir
// leaves behind names that are not UTF-8, and so the folder holding them.
struct ScratchFolder : QTemporaryDir {
    using QTemporaryDir::QTemporaryDir;
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(path()).toStdString(), ignored);
    }
};

// Files by name alone, as a batch gets them where no listing told their
// inode numbers.
inline std::vector<ListedFile> filesNamed(const QByteArrayList& names) {
    std::vector<ListedFile> files;
    for (const QByteArray& name : names)
        files.push_back({name, 0, {}});
    return files;
}

// Removes every batch journal the program would find, so that a test starts
// with nothing to undo.
inline void removeAllJournals() {
    for (const QString& journal : BatchHistory::standard().journals())
        QFile::remove(journal);
}
