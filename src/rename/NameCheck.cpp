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

int NAME_check(const QString& text) {
    for (const QChar c : text) {
        if (isForbiddenCharacter(c.unicode()))
            return 1;
    }
    return 0;
}

Message nameRefusalMessage() {
    return {QStringLiteral("ファイル名に \\ / : , ; * ? ") + u'"' +
                QStringLiteral(" < > . | は使用できません"),
            0, QStringLiteral("注意")};
}

bool startNumberKeyPasses(int code) {
    return (code >= '0' && code <= '9') || code == 8 || code == 16;
}
