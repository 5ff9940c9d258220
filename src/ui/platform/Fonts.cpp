#include "ui/platform/Fonts.h"

#include <QString>
#include <QStringList>

void installFontSubstitutions() {
    // IPA fonts come from fonts-ipafont-gothic on Debian; Noto CJK and the
    // macOS and Windows families cover the other desktops.
    QFont::insertSubstitutions(QString::fromUtf8(kProportionalGothic),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("Hiragino Sans"), QStringLiteral("MS PGothic"),
                                QStringLiteral("Meiryo UI")});
    QFont::insertSubstitutions(
        QString::fromUtf8(kFixedGothic),
        {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
         QStringLiteral("Osaka-Mono"), QStringLiteral("MS Gothic")});
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
