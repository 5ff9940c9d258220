#include "ui/platform/MessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include <vector>

QString MSG_RESULT;

namespace {

MessageBoxService* g_service = nullptr;

struct ButtonSpec {
    QMessageBox::StandardButton button;
    int result;
};

std::vector<ButtonSpec> buttonsFor(int code) {
    switch (code & 0x7) {
        case 1:
            return {{QMessageBox::Ok, kResultOk}, {QMessageBox::Cancel, kResultCancel}};
        case 2:
            return {{QMessageBox::Abort, kResultAbort},
                    {QMessageBox::Retry, kResultRetry},
                    {QMessageBox::Ignore, kResultIgnore}};
        case 3:
            return {{QMessageBox::Yes, kResultYes},
                    {QMessageBox::No, kResultNo},
                    {QMessageBox::Cancel, kResultCancel}};
        case 4:
            return {{QMessageBox::Yes, kResultYes}, {QMessageBox::No, kResultNo}};
        case 5:
            return {{QMessageBox::Retry, kResultRetry}, {QMessageBox::Cancel, kResultCancel}};
        default:
            return {{QMessageBox::Ok, kResultOk}};
    }
}

QMessageBox::Icon iconFor(int code) {
    switch (code & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

MessageBoxService& messageBoxService() {
    static QtMessageBoxService real;
    return g_service ? *g_service : real;
}

void setMessageBoxService(MessageBoxService* service) {
    g_service = service;
}

int MsgBox(const QString& prompt, int code, const QString& title) {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    const int result = messageBoxService().show(owner, prompt, code, title);
    MSG_RESULT = QString::number(result);
    return result;
}

int QtMessageBoxService::show(QWidget* owner, const QString& prompt, int code,
                              const QString& title) {
    QMessageBox box(owner);
    prepare(box, prompt, code, title);
    box.exec();
    return result(box, code);
}

void QtMessageBoxService::prepare(QMessageBox& box, const QString& prompt, int code,
                                  const QString& title) {
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Tolvane") : title);
    box.setText(prompt);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(iconFor(code));
    const std::vector<ButtonSpec> specs = buttonsFor(code);
    for (const ButtonSpec& choice : specs)
        box.addButton(choice.button);
    const size_t defaultIndex = size_t((code & 0x300) >> 8);
    box.setDefaultButton(specs[defaultIndex < specs.size() ? defaultIndex : 0].button);
    // A box closed by its title bar or Escape answers Cancel where it has one,
    // and OK where OK is its only button, as the desktop's own boxes do.
    for (const ButtonSpec& choice : specs) {
        if (choice.button == QMessageBox::Cancel)
            box.setEscapeButton(QMessageBox::Cancel);
    }
    if (specs.size() == 1)
        box.setEscapeButton(specs.front().button);
    // A short text makes a narrow box, whose title bar then cuts its own
    // title; keep room for the title and the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = QFontMetrics(box.font()).horizontalAdvance(box.windowTitle()) * 2 + 120;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

int QtMessageBoxService::result(const QMessageBox& box, int code) {
    const std::vector<ButtonSpec> specs = buttonsFor(code);
    const auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonSpec& choice : specs) {
        if (choice.button == clicked)
            return choice.result;
    }
    for (const ButtonSpec& choice : specs) {
        if (choice.button == QMessageBox::Cancel)
            return kResultCancel;
    }
    return specs.front().result;
}
