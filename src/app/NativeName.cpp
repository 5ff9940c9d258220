#include "app/NativeName.h"

#include <QStringDecoder>

namespace {

// Length of the valid UTF-8 sequence starting at p (at most n bytes left), or
// 0; the code point it encodes goes to *codePoint when asked for.
int validSequenceLength(const unsigned char* p, qsizetype n, char32_t* codePoint = nullptr) {
    const unsigned char c = p[0];
    if (codePoint)
        *codePoint = c;
    if (c < 0x80)
        return 1;
    int len = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (n < len)
        return 0;
    for (int k = 1; k < len; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not valid.
    if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF)
        return 0;
    if (codePoint)
        *codePoint = cp;
    return len;
}

}  // namespace

bool isValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype at = 0; at < n;) {
        const int len = validSequenceLength(p + at, n - at);
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
        const int len = validSequenceLength(p + at, n - at, &cp);
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
        if (QChar::isHighSurrogate(u) && at + 1 < n &&
            QChar::isLowSurrogate(text.at(at + 1).unicode())) {
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
        const char16_t u = out.at(at).unicode();
        if (QChar::isHighSurrogate(u) && at + 1 < out.size() &&
            QChar::isLowSurrogate(out.at(at + 1).unicode())) {
            ++at;
        } else if (QChar::isSurrogate(u)) {
            out[at] = QChar(QChar::ReplacementCharacter);
        }
    }
    return out;
}

QString displayName(const QByteArray& bytes) {
    return QString::fromUtf8(bytes);
}
