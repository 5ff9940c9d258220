#include "core/text/NativeName.h"

#include "core/text/Characters.h"

#include <QStringDecoder>

bool isValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype at = 0; at < n;) {
        const int len = utf8SequenceLength(p + at, n - at);
        if (len == 0)
            return false;
        at += len;
    }
    return true;
}

QString fromNative(const QByteArray& bytes) {
    // A byte-order mark is a character of the name like any other: Qt's plain
    // fromUtf8 would drop one at the start, and the name would change.
    if (isValidUtf8(bytes))
        return QStringDecoder(QStringConverter::Utf8,
                              QStringConverter::Flag::ConvertInitialBom)(bytes);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    for (qsizetype at = 0; at < n;) {
        char32_t cp = 0;
        const int len = utf8SequenceLength(p + at, n - at, &cp);
        if (len == 0) {
            out.append(QChar(char16_t(0xDC00 + p[at])));
            ++at;
        } else {
            const QChar pair[2] = {QChar::highSurrogate(cp), QChar::lowSurrogate(cp)};
            if (QChar::requiresSurrogates(cp))
                out.append(pair, 2);
            else
                out.append(QChar(char16_t(cp)));
            at += len;
        }
    }
    return out;
}

QByteArray toNative(const QString& text) {
    QByteArray out;
    out.reserve(text.size() * 3);
    const qsizetype n = text.size();
    for (qsizetype at = 0; at < n; ++at) {
        const char16_t u = text.at(at).unicode();
        char32_t cp = u;
        if (isSurrogatePairAt(text, at)) {
            cp = QChar::surrogateToUcs4(u, text.at(at + 1).unicode());
            ++at;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out.append(char(u - 0xDC00));  // an escaped byte goes back as it came
            continue;
        } else if (QChar::isSurrogate(u)) {
            cp = 0xFFFD;  // a stray surrogate that no byte escape made
        }
        if (cp < 0x80) {
            out.append(char(cp));
        } else if (cp < 0x800) {
            out.append(char(0xC0 | (cp >> 6)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.append(char(0xE0 | (cp >> 12)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        } else {
            out.append(char(0xF0 | (cp >> 18)));
            out.append(char(0x80 | ((cp >> 12) & 0x3F)));
            out.append(char(0x80 | ((cp >> 6) & 0x3F)));
            out.append(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

QString displayText(const QString& text) {
    QString out = text;
    for (qsizetype at = 0; at < out.size(); ++at) {
        if (isSurrogatePairAt(out, at)) {
            ++at;
        } else if (out.at(at).isSurrogate()) {
            out[at] = QChar(QChar::ReplacementCharacter);
        }
    }
    return out;
}

QString displayName(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}
