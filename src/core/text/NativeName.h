#pragma once

#include <QByteArray>
#include <QString>

// File names on Linux are bytes, and old archives carry names that are not
// UTF-8 (Shift-JIS from a Windows camera card, for one). A listed file keeps
// its native bytes; paths that the windows hold as text go through these two
// functions, which round-trip any byte string: a byte that is not part of
// valid UTF-8 becomes the lone surrogate U+DC00 + byte and turns back into
// the same byte on the way out.

// Native bytes of a path or name held as text.
QByteArray toNative(const QString& text);

// Text for native bytes; toNative(fromNative(b)) == b for every b.
QString fromNative(const QByteArray& bytes);

// Text fit to show, never to be taken back to bytes. A name that is not UTF-8
// but is valid Shift-JIS (code page 932, what old Japanese cameras and
// Windows archives wrote) shows decoded as such; any other byte that is not
// part of valid UTF-8 shows as U+FFFD. displayText takes the names of a path
// one by one.
QString displayText(const QString& text);
QString displayName(const QByteArray& bytes);

// True when the native bytes are valid UTF-8.
bool isValidUtf8(const QByteArray& bytes);
