#include "ui/windows/ControlLayout.h"

#include "ui/controls/Fonts.h"
#include "ui/controls/Twips.h"
#include "ui/windows/WindowStyle.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

QFont fontOf(const ControlFont& font) {
    return font.face == FontFace::Fixed ? fixedGothic(font.points, font.bold)
                                        : proportionalGothic(font.points, font.bold);
}

void setCaption(QWidget& widget, const QString& caption) {
    if (auto* button = qobject_cast<QAbstractButton*>(&widget))
        button->setText(caption);
    else if (auto* label = qobject_cast<QLabel*>(&widget))
        label->setText(caption);
    else if (auto* edit = qobject_cast<QLineEdit*>(&widget))
        edit->setText(caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(&widget))
        frame->setTitle(caption);
}

}  // namespace

void placeControl(QWidget& widget, const char* objectName, const QRect& twips,
                  const ControlFont& font, const char16_t* caption,
                  const char16_t* accessibleName) {
    widget.setObjectName(QLatin1String(objectName));
    widget.setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    if (font.face != FontFace::Inherited && !qobject_cast<QGroupBox*>(&widget))
        widget.setFont(fontOf(font));
    const QString text = QString::fromUtf16(caption);
    setCaption(widget, text);
    widget.setAccessibleName(accessibleName ? QString::fromUtf16(accessibleName) : text);
}

void setFrameTitles(const std::vector<std::pair<QWidget*, ControlFont>>& placed) {
    for (const auto& [widget, font] : placed) {
        if (auto* frame = qobject_cast<QGroupBox*>(widget))
            setFrameTitleLook(*frame, fontOf(font));
    }
}
