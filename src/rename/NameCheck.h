#pragma once

#include <QString>

#include "rename/Message.h"

// The twelve characters no prefix or suffix may hold. Most cannot stand in a
// file name on some system; the "." would move where the extension begins.
// Their full-width forms are ordinary characters and pass.
inline constexpr char16_t forbiddenCharacters[] = u"\\/:,;*?\"<>|.";

bool isForbiddenCharacter(int code);

// The key filter of the prefix and suffix boxes: the typed character code
// unchanged when it may be inserted, 0 when it is refused (the caller then
// discards the key and shows nameRefusalMessage()).
int KEY_check(int KEY_check_number);

// The whole-text check of a prefix or suffix, also of pasted text that never
// passed the key filter. Returns the verdict i: 1 when text holds a forbidden
// character, or a character that only pasting brings and that would not show
// in the name as it does in the box (control characters such as tab, line
// break and NUL, line separators, half a character); the caller then empties
// the box and shows nameRefusalMessage(). 0 when it passes; the empty text
// passes.
int NAME_check(const QString& text);

Message nameRefusalMessage();

// The half-width character that a full-width digit or Latin letter stands
// for ("１" gives "1", "Ａ" gives "A"); any other character as it is. An input
// method in its Japanese mode gives full-width digits by default.
QChar halfWidthForm(QChar c);

// What the start-number box takes: half-width digits only.
bool isStartNumberCharacter(QChar c);

// What an extension may hold: small letters, digits and the wildcard "*".
bool isExtensionCharacter(QChar c);
