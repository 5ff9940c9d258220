#include "core/rename/NameRules.h"

#include <QtGlobal>

#include <algorithm>

void appendSerial(QByteArray& out, int serial, int width) {
    Q_ASSERT(serial >= 0);
    char digits[12];
    int n = int(sizeof digits);
    unsigned value = unsigned(serial);
    do {
        digits[--n] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const int length = int(sizeof digits) - n;
    if (width > length)
        out.append(qsizetype(width - length), '0');
    out.append(digits + n, length);
}

namespace {

// The extension with its dot, or nothing when the entry has no dot.
QByteArrayView dotAndExtension(QByteArrayView entry, qsizetype dot) {
    return dot < 0 ? QByteArrayView() : entry.sliced(dot);
}

}  // namespace

QByteArrayView extensionOf(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QByteArrayView() : name.sliced(dot + 1);
}

void appendSerialStem(QByteArray& out, QByteArrayView prefix, int serial, int width,
                      QByteArrayView suffix) {
    out.append(prefix);
    appendSerial(out, serial, width);
    out.append(suffix);
}

void appendOwnStemWithSerial(QByteArray& out, QByteArrayView stem, int serial, int width) {
    out.append(stem);
    appendSerial(out, serial, width);
}

void appendSerialName(QByteArray& out, QByteArrayView entry, QByteArrayView prefix, int serial,
                      int width, QByteArrayView suffix) {
    appendSerialStem(out, prefix, serial, width, suffix);
    out.append(dotAndExtension(entry, entry.lastIndexOf('.')));
}

QByteArray serialName(QByteArrayView entry, QByteArrayView prefix, int serial, int width,
                      QByteArrayView suffix) {
    QByteArray name;
    appendSerialName(name, entry, prefix, serial, width, suffix);
    return name;
}

void appendOwnNameWithSerial(QByteArray& out, QByteArrayView entry, int serial, int width) {
    const qsizetype dot = entry.lastIndexOf('.');
    appendOwnStemWithSerial(out, entry.first(dot < 0 ? entry.size() : dot), serial, width);
    out.append(dotAndExtension(entry, dot));
}

QByteArray ownNameWithSerial(QByteArrayView entry, int serial, int width) {
    QByteArray name;
    appendOwnNameWithSerial(name, entry, serial, width);
    return name;
}

QByteArray spareName(QByteArrayView name, int attempt, qsizetype longest) {
    QByteArray spare("~");
    if (attempt > 0) {
        appendSerial(spare, attempt + 1, 0);
        spare += '~';
    }
    qsizetype from = std::max<qsizetype>(0, name.size() - (longest - spare.size()));
    // A UTF-8 character's continuation bytes are 10xxxxxx.
    while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80)
        ++from;
    spare.append(name.sliced(from));
    return spare;
}
