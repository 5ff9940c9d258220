#include "core/rename/NameChecks.h"

#include "core/rename/DateFields.h"
#include "core/text/Characters.h"

bool isForbiddenCharacter(QChar c) {
    return c.unicode() != 0 && QStringView(kForbiddenCharacters).contains(c);
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

bool isRefusedNameText(const QString& text) {
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (isSurrogatePairAt(text, at)) {
            ++at;  // a whole character beyond the first plane, such as an emoji
            continue;
        }
        if (const std::optional<DateField> field = dateFieldAt(text, at)) {
            at += dateFieldText(*field).size() - 1;  // its "<" and ">" are the field's
            continue;
        }
        if (isForbiddenCharacter(text.at(at)) || isUnseenInName(text.at(at)))
            return true;
    }
    return false;
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
