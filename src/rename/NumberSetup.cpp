#include "rename/NumberSetup.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

QString withTrailingSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// The start number as a number. Only a pasted text can be other than digits;
// what is no number at all counts as 0, as the old conversion did, and the
// rename refuses it before touching a file anyway.
double startValue(const QString& startText) {
    bool ok = false;
    const double value = startText.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

}  // namespace

NumberSetup NUMBER_setup(bool changeDestination, const QString& labelCaption,
                         const QString& folderPath, const QString& startText, int listCount) {
    NumberSetup setup;
    setup.NEW_PATH = withTrailingSeparator(changeDestination ? labelCaption : folderPath);

    // The last serial in double precision, then its shortest plain decimal
    // text: a pasted sign or fraction counts toward the width like a digit.
    const double last = startValue(startText) + double(listCount - 1);
    setup.DIGITS = int(QString::number(last, 'f', QLocale::FloatingPointShortest).size());

    setup.FORMAT_MASK = QString(std::max<qsizetype>(setup.DIGITS, startText.size()), u'0');
    return setup;
}

std::optional<int> plainStartNumber(QStringView startText) {
    if (startText.isEmpty())
        return std::nullopt;
    int value = 0;
    for (const QChar c : startText) {
        const char16_t u = c.unicode();
        if (u < u'0' || u > u'9')
            return std::nullopt;
        value = std::min(value * 10 + (u - u'0'), maxSerial + 1);
    }
    return value;
}
