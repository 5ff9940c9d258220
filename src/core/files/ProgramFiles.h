#pragma once

#include "core/files/ListedFile.h"

#include <QByteArray>

#include <vector>

// The program's own files never go into the conversion list, even where they
// lie in the listed folder: a portable copy started in its own folder with
// the extension "*" would otherwise rename itself, its usage document and
// its settings with the photos.

// The program's own files, as native paths: the running executable (in
// applicationFolder(), so that a test can stand in for it), the usage
// document and the settings file. The undo's journals are the program's too,
// known by their names in the folders they lie in (journalFolders).
std::vector<QByteArray> programFilePaths();

// Leaves out of files, listed in folder, those that are the program's own
// files, journals included. The folder is recognised by its identity (device and inode), so a
// link to it or another spelling of its path counts, and a file of the same
// name in any other folder stays.
void leaveOutProgramFiles(const QByteArray& folder, std::vector<ListedFile>& files);
