#pragma once

#include "core/files/ListedFile.h"

#include <QByteArray>

#include <string_view>
#include <vector>

// The listing behind the file list, on native bytes and without Qt's own
// directory classes (they skip names that are not valid UTF-8).

// A parsed ";"-separated pattern list. Patterns use "*" and "?" ("?" is one
// character, not one byte), match without regard to ASCII letter case, and a
// final ".*" also matches a name without any dot, as "*.*" matches every file.
class PatternSet {
public:
    explicit PatternSet(const QByteArray& patterns);
    bool matches(std::string_view name) const;

private:
    std::vector<QByteArray> patterns_;
};

// The regular, non-hidden files of folder that match patterns, in natural
// order of their names, each with its inode number as the listing told it
// (the rename's undo knows its files by them where they last); no times yet.
// On failure returns an empty list and sets *error to errno. With sidecars,
// the folder's other files whose names are sidecars' (see Shots.h) go there,
// in natural order too.
std::vector<ListedFile> listMatchingFiles(const QByteArray& folder, const PatternSet& patterns,
                                          int* error = nullptr,
                                          std::vector<ListedFile>* sidecars = nullptr);

// The names of the subfolders of folder (symbolic links to folders included),
// hidden ones left out, in natural order; empty when it cannot be read.
std::vector<QByteArray> listSubfolders(const QByteArray& folder);

// Whether folder has a subfolder that listSubfolders would give; reads no
// further than the first. False when it cannot be read.
bool hasSubfolder(const QByteArray& folder);

// Every name in folder, of whatever kind, hidden ones included: the names a
// new name could collide with. Empty when it cannot be read.
std::vector<QByteArray> listAllNames(const QByteArray& folder);

// Whether the file system of folder ignores letter case (a camera card): a
// name of names in other letter case is found there too. names: some of the
// folder's names, one with a Latin letter among them.
bool ignoresLetterCase(const QByteArray& folder, const std::vector<QByteArray>& names);
