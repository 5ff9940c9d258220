#include "core/text/NativeName.h"

#include "core/text/Characters.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

// Names that are not UTF-8 come mostly from old Japanese cameras and Windows
// archives, in code page 932; ICU's Shift_JIS is that code page. Nothing when
// the bytes are not valid there either: such a name shows as it always did.
std::optional<QString> fromShiftJis(const QByteArray& bytes) {
    // Stateless: a lead byte at the very end is an error, not a character
    // waiting for more input.
    QStringDecoder decoder("Shift_JIS", QStringConverter::Flag::Stateless);
    QString text = decoder(bytes);
    if (!decoder.isValid() || decoder.hasError())
        return std::nullopt;
    return text;
}

bool hasEscapedByte(QStringView text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; });
}

}  // namespace

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
    // Each name of a path on its own: an old card's folder may be named in
    // Shift-JIS under a mount point in UTF-8.
    QString out;
    out.reserve(text.size());
    bool first = true;
    for (const QStringView name : QStringView(text).split(u'/')) {
        if (!first)
            out += u'/';
        first = false;
        if (hasEscapedByte(name)) {
            if (const std::optional<QString> decoded = fromShiftJis(toNative(name.toString()))) {
                out += *decoded;
                continue;
            }
        }
        out += name;
    }
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
    if (!isValidUtf8(bytes)) {
        if (const std::optional<QString> decoded = fromShiftJis(bytes))
            return *decoded;
    }
    return QString::fromUtf8(bytes);
}
