#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// The settings file as bytes in and bytes out, with no file system involved.
//
// A file whose bytes are valid UTF-8 is UTF-8; any other file is taken to be
// code page 932, as a settings file kept on a Japanese Windows is (key names
// included), and stays so. Section and key names compare without regard to
// the case of ASCII letters. Of duplicated keys the first one counts.
// Everything from the first NUL byte on is not read and is carried over
// unchanged by every edit.

// The first value of key in section, or the empty text when the section or
// the key is missing.
QString iniValue(const QByteArray& file, const QString& section, const QString& key);

// Every key of section, in the file's order, with its first value; none when
// the section is missing.
std::vector<std::pair<QString, QString>> iniEntries(const QByteArray& file, const QString& section);

// The file with key in section set to value, or with every line of that key
// removed when value is null. Only the key's own line changes: every other
// byte of the file (other keys, sections, comments, blank lines, line ends)
// is kept. A missing section is appended, a missing key goes after the last
// entry of its section.
//
// Nothing is returned when the change cannot be made safely: a line break or
// NUL in a name or value (it would forge other lines), a name the file format
// cannot hold, a text that the file's code page cannot represent, or an edit
// that would not read back exactly as intended with every other entry intact.
std::optional<QByteArray> iniWithValue(const QByteArray& file, const QString& section,
                                       const QString& key, const QString& value);
