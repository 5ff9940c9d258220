#include "ui/services/MessageBoxes.h"

#include "ui/services/Accessibility.h"
#include "ui/services/ProgramIcon.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>
#include <QTextEdit>

namespace {

QMessageBox::Icon qtIcon(Icon icon) {
    switch (icon) {
        case Icon::Error:
            return QMessageBox::Critical;
        case Icon::Question:
            return QMessageBox::Question;
        case Icon::Warning:
            return QMessageBox::Warning;
        case Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A line breaks only where the text allows it: between words, or between
// Japanese characters. A long file name of Latin letters allows it nowhere,
// and the box grew as wide as the name, past the screen's edge. Such a run
// gets a zero-width space every so often, which breaks it there and shows
// nothing.
QString withBreaksInLongRuns(const QString& text) {
    constexpr int kLongestRun = 40;
    QString out;
    out.reserve(text.size());
    int run = 0;
    for (const QChar c : text) {
        const bool breaks = c.isSpace() || c.unicode() >= 0x3000;
        run = breaks ? 0 : run + 1;
        if (run > kLongestRun && !c.isLowSurrogate()) {
            out += QChar(0x200B);
            run = 1;
        }
        out += c;
    }
    return out;
}

}  // namespace

MessageBoxService& MessageBoxService::real() {
    static QtMessageBoxService service;
    return service;
}

namespace {

QPointer<QWidget>& mainWindowForMessages() {
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

void setMainWindowForMessages(QWidget* window) {
    mainWindowForMessages() = window;
}

Answer showMessage(QWidget* owner, const Message& message) {
    QWidget* window = owner ? owner->window() : mainWindowForMessages().data();
    return MessageBoxService::current().show(window, message);
}

void setBoxFrame(QWidget& window) {
    // The system menu hint keeps the icon on the desktops that draw one.
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    window.setWindowIcon(programIcon());
}

Answer QtMessageBoxService::show(QWidget* owner, const Message& message) {
    QMessageBox box(owner);
    prepare(box, message);
    box.exec();
    return answerOf(box);
}

void QtMessageBoxService::prepare(QMessageBox& box, const Message& message) {
    setBoxFrame(box);
    box.setWindowTitle(message.title.isEmpty() ? QStringLiteral("Tolvane") : message.title);
    box.setText(withBreaksInLongRuns(message.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(qtIcon(message.icon));
    switch (message.buttons) {
        case Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            box.setDefaultButton(QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Ok);
            break;
        case Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(message.cancelIsDefault ? QMessageBox::Cancel : QMessageBox::Ok);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
        case Buttons::RetryCancel:
            box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Retry);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
    }
    if (message.details) {
        // The details are made when the user first asks for them: a box
        // asking about tens of thousands of files still opens at once.
        box.setDetailedText(QStringLiteral(" "));
        auto* detailsText = box.findChild<QTextEdit*>();
        if (detailsText) {
            // Qt leaves the details out of the Tab order: without a mouse, and
            // through a screen reader, not one line of them could be read.
            detailsText->setFocusPolicy(Qt::StrongFocus);
            detailsText->setTextInteractionFlags(Qt::TextSelectableByKeyboard |
                                                 Qt::TextSelectableByMouse);
            // Heard by what it holds rather than as "read only text": the one
            // question with details is the rename's, whose details are the
            // new names.
            detailsText->setAccessibleName(QStringLiteral("変換後の名前"));
        }
        for (QPushButton* button : box.findChildren<QPushButton*>()) {
            if (detailsText && button->text() == QMessageBox::tr("Show Details...")) {
                QObject::connect(
                    button, &QPushButton::clicked, detailsText,
                    [detailsText, makeDetails = message.details] {
                        detailsText->setPlainText(makeDetails());
                    },
                    Qt::SingleShotConnection);
                // Only the button's caption changes when the details open,
                // and a screen reader said nothing of it. Queued: the box
                // shows or hides them after this click's other handlers.
                QObject::connect(
                    button, &QPushButton::clicked, detailsText,
                    [detailsText] {
                        if (detailsText->isVisible())
                            announce(detailsText, QStringLiteral("変換後の名前を表示しました"));
                    },
                    Qt::QueuedConnection);
            }
        }
    }
    // A short text makes a narrow box, whose title bar then cuts its own
    // title; keep room for the title and the frame's buttons.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = QFontMetrics(box.font()).horizontalAdvance(box.windowTitle()) * 2 + 120;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

Answer QtMessageBoxService::answerOf(const QMessageBox& box) {
    // A box closed by its title bar or Escape answers Cancel where it has
    // one, and OK where OK is its only button, as the desktop's own boxes do.
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Retry:
            return Answer::Retry;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            return box.button(QMessageBox::Cancel) ? Answer::Cancel : Answer::Ok;
    }
}
