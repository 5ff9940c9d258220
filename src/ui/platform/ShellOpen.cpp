#include "ui/platform/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopShellOpen : public ShellOpenService {
public:
    void open(QWidget*, const QString& target, const QString&) override {
        const QUrl url =
            target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
        // The desktop reports its own failures; the program goes on either way.
        QDesktopServices::openUrl(url);
    }
};

ShellOpenService* g_service = nullptr;

}  // namespace

ShellOpenService& shellOpenService() {
    static DesktopShellOpen real;
    return g_service ? *g_service : real;
}

void setShellOpenService(ShellOpenService* service) {
    g_service = service;
}

void ShellExecute(QWidget* owner, const QString& target, const QString& workingFolder) {
    shellOpenService().open(owner, target, workingFolder);
}
