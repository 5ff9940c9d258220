#include "ui/services/DesktopOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class QtDesktopOpen : public DesktopOpenService {
public:
    void open(QWidget*, const QString& target) override {
        const QUrl url =
            target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
        // The desktop reports its own failures; the program goes on either way.
        QDesktopServices::openUrl(url);
    }
};

}  // namespace

DesktopOpenService& DesktopOpenService::real() {
    static QtDesktopOpen service;
    return service;
}

void openOnDesktop(QWidget* owner, const QString& target) {
    DesktopOpenService::current().open(owner, target);
}
