#include "ui/windows/WindowStyle.h"

#include "ui/controls/Twips.h"

#include <QDialog>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>

void setUpFixedDialog(QDialog& dialog, const QString& title, int widthTwips, int heightTwips) {
    dialog.setWindowTitle(title);
    // A close button and nothing else: without the system menu hint the
    // desktops that draw a title-bar icon leave it out for a dialog.
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // A window without an icon of its own would show the program's; a blank
    // one keeps the title bar plain on the desktops that draw it anyway.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    dialog.setWindowIcon(QIcon(blank));
    dialog.setSizeGripEnabled(false);
    dialog.setFixedSize(twipsSize(widthTwips, heightTwips));
    centreOnScreen(dialog);
}

void centreOnScreen(QWidget& window) {
    const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

void placeTwips(QWidget& widget, int left, int top, int width, int height) {
    widget.setGeometry(twipsRect(left, top, width, height));
}

void setFrameTitleLook(QGroupBox& frame, const QFont& titleFont) {
    // A frame passes its font and colours on to the controls inside it for
    // every property they have not set themselves. Fixing every property of
    // the plain ones stops that.
    QFont plainFont = frame.font();
    plainFont.setResolveMask(QFont::AllPropertiesResolved);
    QPalette plainPalette = frame.palette();
    plainPalette.setResolveMask(~QPalette::ResolveMask(0));
    for (QWidget* child : frame.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->testAttribute(Qt::WA_SetFont))
            child->setFont(plainFont);
        child->setPalette(plainPalette);
    }

    frame.setFont(titleFont);
    QPalette blue = frame.palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    blue.setColor(QPalette::Text, QColor(0, 0, 255));
    frame.setPalette(blue);
}
