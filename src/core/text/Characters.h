#pragma once

#include <QStringView>

// Character facts that the names, the listing and the settings file share.

// ASCII letters as small letters, every other unit as it is. File patterns
// and the settings file's names fold exactly these, whatever the locale.
constexpr char16_t foldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}
constexpr unsigned char foldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// The length of the valid UTF-8 sequence at p, with left bytes there, or 0
// when none starts there (a stray byte, an overlong form, a surrogate). The
// code point goes to *codePoint when asked for.
int utf8SequenceLength(const unsigned char* p, qsizetype left, char32_t* codePoint = nullptr);

// Whether a whole surrogate pair, one character beyond the first plane (an
// emoji, say), starts at at.
inline bool isSurrogatePairAt(QStringView text, qsizetype at) {
    return at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate();
}
