#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The folder a start asks for: `tolvane FOLDER`, as a file manager or a
// terminal passes it. A path is bytes on Linux, so the argument is taken as
// the bytes it came as, and a name that is not UTF-8 opens all the same.

// The first argument that names a folder, or empty bytes. arguments: what
// follows the program's name, after Qt took out its own options.
QByteArray folderArgument(const QList<QByteArray>& arguments);

// argument as an absolute, cleaned path: a relative one is taken from
// workingFolder, the working folder of the process that was started (the
// copy that is already running has its own). Empty when argument is empty,
// or when it is relative and the working folder is unknown.
QString absoluteFolder(const QByteArray& argument, const QByteArray& workingFolder);

// Both of the above on this process's command line and working folder.
QString folderFromCommandLine(int argc, char** argv);

// Whether the command line asks for --help or --version. Anything after "--"
// is a folder, never an option.
bool asksForHelp(int argc, char** argv);
bool asksForVersion(int argc, char** argv);
