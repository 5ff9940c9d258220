#pragma once

// The accounting that ends every fault test: each photo is made with bytes of
// its own, so that after the fault the test can say where every one of them
// went: under its old name or its new name (never both, never neither), with
// its bytes unchanged, and no file anywhere that was not there before.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

// Relative path (native bytes, "/" between folders) -> the file's bytes.
using Files = std::map<QByteArray, QByteArray>;

// One file a test made, and the places it may be found in afterwards. A file
// that must not move at all has newPath equal to oldPath.
struct Photo {
    QByteArray bytes;
    QByteArray oldPath;
    QByteArray newPath;
};

inline QByteArray readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    QByteArray bytes;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, qsizetype(in.gcount()));
    return bytes;
}

inline void writeWhole(const QByteArray& path, const QByteArray& bytes) {
    std::ofstream(std::string(path.constData(), size_t(path.size())), std::ios::binary)
        .write(bytes.constData(), std::streamsize(bytes.size()));
}

// Bytes of their own for the file first called name, of a size that differs
// from its neighbours' so that a swap of two files would show.
inline QByteArray photoBytes(const QByteArray& name, int index) {
    return "photo " + name + '\n' + QByteArray(index % 61, char('a' + index % 26));
}

// Puts each photo's bytes under its old path below root (which ends in "/").
inline void writePhotos(const QByteArray& root, const std::vector<Photo>& photos) {
    for (const Photo& photo : photos)
        writeWhole(root + photo.oldPath, photo.bytes);
}

// Every regular file below root, with the raw bytes of its name: the standard
// library, because Qt's listings skip names that are not UTF-8.
inline Files inventory(const QByteArray& root) {
    namespace fs = std::filesystem;
    Files files;
    const fs::path base(root.toStdString());
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(base, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_regular_file())
            continue;
        const std::string relative = it->path().lexically_relative(base).generic_string();
        files[QByteArray::fromStdString(relative)] = readWhole(it->path());
    }
    return files;
}

// What is wrong with the folder now, one line per fault; empty when every
// photo is accounted for.
inline QStringList accountFor(const Files& now, const std::vector<Photo>& photos) {
    QStringList faults;
    std::map<QByteArray, std::vector<QByteArray>> pathsOf;  // bytes -> where they are now
    for (const auto& [path, bytes] : now)
        pathsOf[bytes].push_back(path);
    std::map<QByteArray, bool> expected;
    for (const Photo& photo : photos) {
        expected[photo.oldPath] = true;
        expected[photo.newPath] = true;
        const auto found = pathsOf.find(photo.bytes);
        const QString name = QString::fromUtf8(photo.oldPath);
        if (found == pathsOf.end()) {
            // Its name still there with other bytes: something was written over it.
            const bool overwritten = now.count(photo.oldPath) || now.count(photo.newPath);
            faults << (overwritten ? QStringLiteral("overwritten: %1") : QStringLiteral("lost: %1"))
                          .arg(name);
            continue;
        }
        if (found->second.size() > 1)
            faults << QStringLiteral("under %1 names: %2").arg(found->second.size()).arg(name);
        for (const QByteArray& path : found->second) {
            if (path != photo.oldPath && path != photo.newPath)
                faults << QStringLiteral("%1 found as %2").arg(name, QString::fromUtf8(path));
        }
    }
    for (const auto& [path, bytes] : now) {
        if (!expected.count(path))
            faults << QStringLiteral("stray file: %1").arg(QString::fromUtf8(path));
    }
    if (now.size() != photos.size())
        faults << QStringLiteral("%1 files for %2 photos").arg(now.size()).arg(photos.size());
    return faults;
}

// Fails the calling test function unless every photo is accounted for in
// now (see accountFor), naming the first faults.
#define VERIFY_ACCOUNTED_FOR(now, photos)                                           \
    do {                                                                            \
        const QStringList accountingFaults_ = accountFor((now), (photos));          \
        QVERIFY2(accountingFaults_.isEmpty(),                                       \
                 qPrintable(accountingFaults_.mid(0, 20).join(QLatin1Char('\n')))); \
    } while (false)

// Takes out of now, and out of photos, every photo under a spare name ("~"
// first) with its bytes whole: a run killed in a ring of names leaves one
// there, whose old name may be another's new one by then. Returns how many.
inline int takeOutSpareNamed(Files& now, std::vector<Photo>& photos) {
    const auto before = now.size();
    std::erase_if(now, [&](const auto& file) {
        // Only a spare name is looked for among the photos: one search per
        // file of a folder of 32 767 made the long crash test outlast its
        // time limit.
        if (!file.first.startsWith('~'))
            return false;
        const auto photo = std::find_if(photos.begin(), photos.end(),
                                        [&](const Photo& p) { return p.bytes == file.second; });
        if (photo == photos.end())
            return false;
        photos.erase(photo);
        return true;
    });
    return int(before - now.size());
}

// How many photos carry their new name (photos that must not move excluded).
inline int movedCount(const Files& now, const std::vector<Photo>& photos) {
    int moved = 0;
    for (const Photo& photo : photos) {
        if (photo.newPath != photo.oldPath && now.count(photo.newPath) &&
            now.at(photo.newPath) == photo.bytes)
            ++moved;
    }
    return moved;
}
