#pragma once

#include "core/common/Message.h"

#include <QObject>
#include <QPointer>
#include <QValidator>

#include <functional>

class QKeyEvent;
class QLineEdit;
class QWidget;

// The text boxes refuse some characters as they come in. Characters come in
// three ways: a typed key, a paste, and the commit of an input method, which
// delivers a whole converted string at once. The warning about a refusal is
// never shown while the event that brought the characters is still being
// handled: a modal box takes the focus, the input method then commits its
// pending text once more, and a box shown from inside the filter would open
// the next box and the next (the program used to end that way).

// One warning for one kind of refusal: shown once the event loop is back,
// and never asked for again while it is waiting or showing.
class RefusalWarning : public QObject {
public:
    // owner: the window the box belongs to (the box is modal over it).
    RefusalWarning(Message message, QWidget* owner);

    void request();
    bool isPending() const { return pending_; }

private:
    void show();

    Message message_;
    QPointer<QWidget> owner_;
    bool pending_ = false;
};

// Filters typed keys and input-method commits of a box: a character for which
// refused() is true is dropped. A key with a refused character is dropped
// whole; a commit keeps its other characters. Pasted text is not filtered:
// the box's own whole-text check refuses it later. Each refusal asks warning
// for its warning.
class TypedCharacterFilter : public QObject {
public:
    TypedCharacterFilter(QLineEdit* box, std::function<bool(QChar)> refused,
                         RefusalWarning* warning);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* box_;
    std::function<bool(QChar)> refused_;
    RefusalWarning* warning_;
};

// For boxes that take only half-width letters and digits (and a few signs):
// every edit, typed, pasted or committed, passes it. The full-width forms of
// digits and Latin letters count as the characters they stand for, so a box
// holds "12" whether the input method gave "12" or "１２"; any other character
// that allowed() refuses is dropped, and onRefused (when set) learns of it.
class HalfWidthValidator : public QValidator {
public:
    HalfWidthValidator(std::function<bool(QChar)> allowed, QObject* parent);

    void setOnRefused(std::function<void()> onRefused) { onRefused_ = std::move(onRefused); }
    State validate(QString& input, int& pos) const override;

private:
    std::function<bool(QChar)> allowed_;
    std::function<void()> onRefused_;
};

// Keys that carry a text but are no typed character: Enter, Tab, Escape and
// Delete keep their usual meaning in a text box and in its window, so the
// character filters of the text boxes never see them.
bool isCommandKey(const QKeyEvent& event);
