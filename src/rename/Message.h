#pragma once

#include <QString>

// A message box to show: the prompt, the platform's button-and-icon code
// (0 OK, 1 OK/Cancel, 5 Retry/Cancel, +16 error, +32 question, +48 warning,
// +256 second button default) and the title (empty: the program's title).
struct Message {
    QString prompt;
    int code = 0;
    QString title;

    bool operator==(const Message&) const = default;
};
