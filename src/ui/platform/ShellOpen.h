#pragma once

#include <QString>

class QWidget;

// Hands a document or a web address to the desktop, which opens it in the
// user's default program. The program neither waits for it nor looks at the
// outcome. Tests put a recording double in place of the real service.
class ShellOpenService {
public:
    virtual ~ShellOpenService() = default;
    // target: a local file path or a web address; workingFolder may be empty.
    virtual void open(QWidget* owner, const QString& target, const QString& workingFolder) = 0;
};

ShellOpenService& shellOpenService();
void setShellOpenService(ShellOpenService* service);  // nullptr: the real one

// "open" through the service in use.
void ShellExecute(QWidget* owner, const QString& target, const QString& workingFolder);
