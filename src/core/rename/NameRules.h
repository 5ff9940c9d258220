#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The two naming rules, on native bytes. A serial is written in decimal,
// padded on the left with "0" to width and never cut. The extension is what
// follows the entry's last "."; an entry without any "." keeps none and gets
// no "." either.

// The serial, padded to width: what a stem whose prefix and suffix are
// written for each row puts between them.
void appendSerial(QByteArray& out, int serial, int width);

// What follows the last "." of name; empty when it has none.
QByteArrayView extensionOf(QByteArrayView name);

// prefix + serial + suffix + "." + extension: "IMG_3.JPG", "trip-", 9, 2, "-x"
// gives "trip-09-x.JPG".
void appendSerialName(QByteArray& out, QByteArrayView entry, QByteArrayView prefix, int serial,
                      int width, QByteArrayView suffix);
QByteArray serialName(QByteArrayView entry, QByteArrayView prefix, int serial, int width,
                      QByteArrayView suffix);

// The entry without its extension + serial + "." + extension: "a.JPG", 9, 2
// gives "a09.JPG".
void appendOwnNameWithSerial(QByteArray& out, QByteArrayView entry, int serial, int width);
QByteArray ownNameWithSerial(QByteArrayView entry, int serial, int width);

// The part of the new names of a shot's files that takes the place of their
// shared stem (see core/files/Shots.h): prefix + serial + suffix, or the first
// file's stem + serial. Each file's new name is that, then whatever follows
// the stem in its own name (".JPG", ".CR2.xmp").
void appendSerialStem(QByteArray& out, QByteArrayView prefix, int serial, int width,
                      QByteArrayView suffix);
void appendOwnStemWithSerial(QByteArray& out, QByteArrayView stem, int serial, int width);

// A name to keep a file under for a moment, out of the way of the names a
// batch gives: "~" + name on the first attempt, "~2~" + name on the second,
// and so on. Where that would be longer than longest bytes, only the end of
// name is kept (its extension with it), cut where a character begins.
QByteArray spareName(QByteArrayView name, int attempt, qsizetype longest);
