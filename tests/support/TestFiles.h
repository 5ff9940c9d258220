#pragma once

#include "core/files/Shots.h"

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

// Files by name alone, each a shot of its own, as a batch gets them where no
// listing told their inode numbers.
inline std::vector<Shot> shotsNamed(const QByteArrayList& names) {
    std::vector<Shot> shots;
    for (const QByteArray& name : names)
        shots.push_back(ListedFile{name, 0, {}});
    return shots;
}
