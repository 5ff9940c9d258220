#pragma once

#include <QChar>
#include <QString>

// The rules on the texts a user types into the name and number boxes.

// The twelve characters no prefix or suffix may hold. Most cannot stand in a
// file name on some system; the "." would move where the extension begins.
// Their full-width forms are ordinary characters and pass.
inline constexpr char16_t kForbiddenCharacters[] = u"\\/:,;*?\"<>|.";

bool isForbiddenCharacter(QChar c);

// Whether a whole prefix or suffix is refused: it holds a forbidden character
// outside a whole date field (see DateFields.h), or a character that only
// pasting brings and that would not show in the name as it does in the box
// (control characters such as tab, line break and NUL, line separators, half
// a character). The empty text passes.
bool isRefusedNameText(const QString& text);

// The half-width character that a full-width digit or Latin letter stands
// for ("１" gives "1", "Ａ" gives "A"); any other character as it is. An input
// method in its Japanese mode gives full-width digits by default.
QChar halfWidthForm(QChar c);

// What the start-number box takes: half-width digits only.
bool isStartNumberCharacter(QChar c);

// What an extension may hold: small letters, digits and the wildcard "*".
bool isExtensionCharacter(QChar c);
