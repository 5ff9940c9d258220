#pragma once

#include <QByteArray>
#include <QString>

// The settings file and the small text routines that every part of the
// program shares. Nothing here keeps state between calls: each call reads or
// writes the file by its path.

// The stored value of key in section, or the empty text when the file, the
// section or the key is missing. Every caller passes the section "Data".
QString INI_read(const QString& section, const QString& key);

// Stores value under key in section, creating the file and the section when
// they are missing. A null value (QString(), not QString("")) deletes the key.
// Other keys, sections and comments of the file are kept. Returns false when
// the file could not be written; the program never reports that.
bool INI_write(const QString& section, const QString& key, const QString& value);

// The application folder (that of the running executable), always ending in
// exactly one separator.
QString APPDIR_get();

// The text after the last "." of name, without the dot; empty when the name
// is empty or has no dot. "photo.JPG" gives "JPG", ".profile" gives "profile".
QString EXT_get(const QString& name);
QByteArray EXT_get(const QByteArray& name);
