#pragma once

#include "core/common/Message.h"
#include "ui/services/Replaceable.h"

class QMessageBox;
class QWidget;

// Shows modal message boxes. Tests put a scripted one in place of the real
// one, which answers without a screen.
class MessageBoxService : public ReplaceableService<MessageBoxService> {
public:
    virtual Answer show(QWidget* owner, const Message& message) = 0;
    static MessageBoxService& real();
};

// Shows message, modal over owner's window, and returns the answer. The owner
// is always the window whose action opened the box, never merely the active
// one: on Wayland a window is not yet active a moment after a click, and a box
// without its window could hide behind it. Without an owner, the main window
// owns the box.
Answer showMessage(QWidget* owner, const Message& message);

// The main window, which owns the boxes that no window of their own asked
// for; a window that names itself here takes itself back when it goes.
void setMainWindowForMessages(QWidget* window);

// Gives window the frame of the program's boxes (its questions, reports and
// progress window): a title, the program's icon and a close button, and no
// minimise or maximise button. A minimised box would leave the window it
// blocks with nothing on show to answer.
void setBoxFrame(QWidget& window);

// The real service, on QMessageBox.
class QtMessageBoxService : public MessageBoxService {
public:
    Answer show(QWidget* owner, const Message& message) override;

    // Gives box the title, text, buttons, icon, default and escape button of message.
    static void prepare(QMessageBox& box, const Message& message);
    // The answer of a prepared box after it closed.
    static Answer answerOf(const QMessageBox& box);
};
