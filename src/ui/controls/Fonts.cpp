#include "ui/controls/Fonts.h"

#include <QString>
#include <QStringList>

void installFontSubstitutions() {
    // IPA fonts come from fonts-ipafont-gothic on Debian; Noto CJK covers the
    // desktops that have it instead.
    QFont::insertSubstitutions(QString::fromUtf8(kProportionalGothic),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(
        QString::fromUtf8(kFixedGothic),
        {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
}

namespace {

QFont makeFont(const char* family, double pointSize, bool bold, QFont::StyleHint hint) {
    QFont font(QString::fromUtf8(family));
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace

QFont proportionalGothic(double pointSize, bool bold) {
    return makeFont(kProportionalGothic, pointSize, bold, QFont::SansSerif);
}

QFont fixedGothic(double pointSize, bool bold) {
    return makeFont(kFixedGothic, pointSize, bold, QFont::Monospace);
}
