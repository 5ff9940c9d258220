#include "core/rename/SerialNumbers.h"

#include <QString>

#include <algorithm>

std::optional<int> plainStartNumber(QStringView startText) {
    if (startText.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : startText) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = std::min(value * 10 + (u - u'0'), kMaxSerial + 1);
    }
    return value;
}

int serialWidth(QStringView startText, int start, int count) {
    const qsizetype lastDigits = QString::number(qint64(start) + std::max(count, 1) - 1).size();
    return int(std::max(lastDigits, startText.size()));
}
