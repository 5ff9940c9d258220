#include "rename/NameCheck.h"

#include <QStringView>

bool isForbiddenCharacter(int code) {
    for (const char16_t c : forbiddenCharacters) {
        if (c != 0 && code == int(c))
            return true;
    }
    return false;
}

int KEY_check(int KEY_check_number) {
    return isForbiddenCharacter(KEY_check_number) ? 0 : KEY_check_number;
}

namespace {

// Pasted text can bring what no typed key does: control characters (a tab, a
// line break, a NUL that would cut the name short where the system reads it),
// line and paragraph separators, and half of a character (which would leave a
// stray byte in the name). None of them shows in the box as what it does to a
// file name.
bool isUnseenInName(QChar c) {
    switch (c.category()) {
        case QChar::Other_Control:
        case QChar::Other_Surrogate:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return true;
        default:
            return false;
    }
}

}  // namespace

int NAME_check(const QString& text) {
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) {
            ++at;  // a whole character beyond the first plane, such as an emoji
            continue;
        }
        if (isForbiddenCharacter(c.unicode()) || isUnseenInName(c))
            return 1;
    }
    return 0;
}

Message nameRefusalMessage() {
    return {QStringLiteral("ファイル名に \\ / : , ; * ? ") + u'"' +
                QStringLiteral(" < > . | は使用できません"),
            0, QStringLiteral("注意")};
}

QChar halfWidthForm(QChar c) {
    const char16_t u = c.unicode();
    if ((u >= u'０' && u <= u'９') || (u >= u'Ａ' && u <= u'Ｚ') || (u >= u'ａ' && u <= u'ｚ'))
        return QChar(char16_t(u - u'０' + u'0'));
    return c;
}

bool isStartNumberCharacter(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isExtensionCharacter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'*';
}
