#pragma once

#include <QString>

class QWidget;

// The decimal text of the button pressed in the last message box: "1" OK,
// "2" Cancel, "4" Retry. Every box of the program leaves its result here.
extern QString MSG_RESULT;

// Button results, as the platform numbers them.
enum MessageResult {
    kResultOk = 1,
    kResultCancel = 2,
    kResultAbort = 3,
    kResultRetry = 4,
    kResultIgnore = 5,
    kResultYes = 6,
    kResultNo = 7
};

// Shows modal message boxes. The program has exactly one; tests put a
// scripted one in its place, which answers without a screen.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // code: buttons (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel,
    // 4 Yes/No, 5 Retry/Cancel) + icon (16 error, 32 question, 48 warning,
    // 64 information) + default button (256 second, 512 third).
    // Returns the pressed button as a MessageResult.
    virtual int show(QWidget* owner, const QString& prompt, int code, const QString& title) = 0;
};

// The service in use; the real one unless replaced.
MessageBoxService& messageBoxService();
// Puts service in place of the current one (nullptr restores the real one).
void setMessageBoxService(MessageBoxService* service);

// Shows a box through the service and leaves its result in MSG_RESULT. An
// empty title shows the program's title, "Tolvane".
int MsgBox(const QString& prompt, int code = 0, const QString& title = QString());

class QMessageBox;

// The real service, on QMessageBox.
class QtMessageBoxService : public MessageBoxService {
public:
    int show(QWidget* owner, const QString& prompt, int code, const QString& title) override;

    // Gives box the title, text, buttons, icon, default and escape button of code.
    static void prepare(QMessageBox& box, const QString& prompt, int code, const QString& title);
    // The result of a prepared box after it closed.
    static int result(const QMessageBox& box, int code);
};
