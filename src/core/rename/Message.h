#pragma once

#include <QString>

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

    bool operator==(const Message&) const = default;
};

// The title of the program's warnings.
inline const QString kWarningTitle = QStringLiteral("注意");
