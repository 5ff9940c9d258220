#pragma once

#include <QString>

#include <functional>

// A message box to show, as plain values, so that the code that decides what
// to say needs no window.

enum class Buttons { Ok, OkCancel, RetryCancel };
enum class Icon { None, Error, Question, Warning };
// The button the user pressed; closing a box by its title bar or Escape
// answers Cancel where the box has one, else OK.
enum class Answer { Ok, Cancel, Retry };

struct Message {
    Message(QString text = {}, QString title = {}, Icon icon = Icon::None,
            Buttons buttons = Buttons::Ok)
        : text(std::move(text)), title(std::move(title)), icon(icon), buttons(buttons) {}

    QString text;
    QString title;  // empty: the program's title, "Tolvane"
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    // The question of a rename: the safe answer, Cancel, is the default.
    bool cancelIsDefault = false;
    // Text that the box shows on request only (its details), made when it
    // is first asked for, while the box is up: it may list tens of thousands
    // of files.
    std::function<QString()> details;

    // Two messages say the same when all but the details are equal.
    bool operator==(const Message& other) const {
        return text == other.text && title == other.title && icon == other.icon &&
               buttons == other.buttons && cancelIsDefault == other.cancelIsDefault;
    }
};

// The title of the program's warnings.
inline const QString kWarningTitle = QStringLiteral("注意");

// A message's paragraphs and lines are parted the way the boxes have always
// parted them: by CR LF.
inline const QString kParagraph = QStringLiteral("\r\n\r\n");
inline const QString kLine = QStringLiteral("\r\n");
