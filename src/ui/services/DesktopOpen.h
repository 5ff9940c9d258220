#pragma once

#include "ui/services/Replaceable.h"

#include <QString>

class QWidget;

// Hands a document or a web address to the desktop, which opens it in the
// user's default program. The program neither waits for it nor looks at the
// outcome. Tests put a recording stand-in in place of the real service.
class DesktopOpenService : public ReplaceableService<DesktopOpenService> {
public:
    // target: a local file path or a web address.
    virtual void open(QWidget* owner, const QString& target) = 0;
    static DesktopOpenService& real();
};

void openOnDesktop(QWidget* owner, const QString& target);
