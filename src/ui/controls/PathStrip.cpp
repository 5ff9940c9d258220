#include "ui/controls/PathStrip.h"

#include "core/text/NativeName.h"
#include "ui/controls/Twips.h"
#include "ui/services/Accessibility.h"

#include <QAccessible>
#include <QLabel>

namespace {

// The strip's width and the text's place at rest, in twips.
constexpr int kStripWidth = 3615;
constexpr int kHome = 45;
constexpr int kStep = 30;
constexpr int kPeriodMs = 100;

}  // namespace

PathStrip::PathStrip(QWidget* parent) : QFrame(parent), text_(new QLabel(this)), textLeft_(kHome) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    text_->setObjectName(QStringLiteral("pathText"));
    text_->setTextFormat(Qt::PlainText);
    connect(&timer_, &QTimer::timeout, this, &PathStrip::step);
    // Running from the start: the first step parks a path that fits.
    timer_.start(kPeriodMs);
    useOwnAccessibleInterface(this);
}

void PathStrip::setPath(const QString& folder) {
    const QString before = text_->text();
    path_ = folder;
    text_->setText(displayText(folder));
    text_->adjustSize();
    placeText();
    if (text_->text() == before)
        return;
    if (QAccessible::isActive()) {
        QAccessibleTextUpdateEvent event(this, 0, before, text_->text());
        QAccessible::updateAccessibility(&event);
    }
    emit pathChanged(text_->text());
}

void PathStrip::checkScrolling() {
    if (textWidth() > kStripWidth) {
        if (!timer_.isActive())
            timer_.start(kPeriodMs);  // from where the text stands
    } else {
        setTextLeft(kHome);
        timer_.stop();
    }
}

void PathStrip::step() {
    if (textWidth() <= kStripWidth) {
        setTextLeft(kHome);
        timer_.stop();
        return;
    }
    int left = textLeft_ - kStep;
    if (left + textWidth() < 0)
        left = kStripWidth;  // gone on the left: in again from the right
    setTextLeft(left);
}

void PathStrip::setTextLeft(int twips) {
    textLeft_ = twips;
    placeText();
}

int PathStrip::textWidth() const {
    return pixelsToTwips(text_->width());
}

void PathStrip::placeText() {
    const QRect inside = contentsRect();
    text_->move(inside.left() + twipsToPixels(textLeft_),
                inside.top() + (inside.height() - text_->height()) / 2);
}
