#include "ui/controls/TextFilters.h"

#include "core/rename/NameChecks.h"
#include "ui/services/MessageBoxes.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

RefusalWarning::RefusalWarning(Message message, QWidget* owner)
    : QObject(owner), message_(std::move(message)), owner_(owner) {}

void RefusalWarning::request() {
    if (pending_)
        return;
    pending_ = true;
    QMetaObject::invokeMethod(this, &RefusalWarning::show, Qt::QueuedConnection);
}

void RefusalWarning::show() {
    // Still pending while the box is up: whatever the box's opening brings
    // in again (an input method's second commit) asks for nothing new.
    showMessage(owner_, message_);
    pending_ = false;
}

TypedCharacterFilter::TypedCharacterFilter(QLineEdit* box, std::function<bool(QChar)> refused,
                                           RefusalWarning* warning)
    : QObject(box), box_(box), refused_(std::move(refused)), warning_(warning) {
    box->installEventFilter(this);
}

bool TypedCharacterFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_)
        return false;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString typed = key->text();
        if (typed.isEmpty() || isCommandKey(*key))
            return false;
        for (const QChar c : typed) {
            if (refused_(c)) {
                warning_->request();
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::InputMethod) {
        auto* input = static_cast<QInputMethodEvent*>(event);
        const QString committed = input->commitString();
        QString kept;
        for (const QChar c : committed) {
            if (!refused_(c))
                kept += c;
        }
        if (kept != committed) {
            // The event goes on with what is left, so the box ends its
            // composition as the input method expects.
            input->setCommitString(kept, input->replacementStart(), input->replacementLength());
            warning_->request();
        }
    }
    return false;
}

HalfWidthValidator::HalfWidthValidator(std::function<bool(QChar)> allowed, QObject* parent)
    : QValidator(parent), allowed_(std::move(allowed)) {}

QValidator::State HalfWidthValidator::validate(QString& input, int& pos) const {
    QString kept;
    kept.reserve(input.size());
    int keptPos = pos;
    bool refused = false;
    for (qsizetype at = 0; at < input.size(); ++at) {
        const QChar c = halfWidthForm(input.at(at));
        if (allowed_(c)) {
            kept += c;
        } else {
            refused = true;
            if (at < pos)
                --keptPos;
        }
    }
    input = kept;
    pos = keptPos;
    if (refused && onRefused_)
        onRefused_();
    return Acceptable;
}

bool isCommandKey(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return true;
        default:
            return false;
    }
}
