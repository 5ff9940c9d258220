#pragma once

#include <QString>

// The program finds the files it ships with (the usage document) in one of two
// layouts. A portable copy, the build tree among them, keeps them beside the
// executable; an installed copy keeps them in the shared data folder of its
// installation prefix, found from the executable's own folder, so that a copy
// installed under any prefix finds its own files and no other copy's.

// The usage document's name, in either layout.
inline constexpr char16_t kUsageDocumentName[] = u"readme.html";

// The installed data folder for an executable in applicationFolder
// ("<prefix>/bin/" gives "<prefix>/share/tolvane/"), with a separator at the end.
QString installedDataFolder(const QString& applicationFolder);

// The path of the shipped file `name`: beside the program when it is there,
// else in the installed data folder when it is there, else beside the program
// (a path that does not exist, for the caller to report or ignore).
QString shippedFilePath(const QString& applicationFolder, const QString& name);

// Whether the program in applicationFolder is an installed copy: its usage
// document lies in the installed data folder and not beside it. An installed
// copy never writes beside itself, even where it could (as root, in /usr/bin).
bool isInstalledCopy(const QString& applicationFolder);
