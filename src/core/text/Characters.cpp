#include "core/text/Characters.h"

int utf8SequenceLength(const unsigned char* p, qsizetype left, char32_t* codePoint) {
    const unsigned char c = p[0];
    if (codePoint)
        *codePoint = c;
    if (c < 0x80)
        return 1;
    int length = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not valid.
    if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF)
        return 0;
    if (codePoint)
        *codePoint = cp;
    return length;
}
