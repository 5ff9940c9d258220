#include "ui/services/Accessibility.h"

#include "core/text/NativeName.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QPushButton>

namespace {

constexpr char kAnnouncementProperty[] = "tolvaneAnnouncement";
constexpr char kDefaultButtonProperty[] = "tolvaneDefaultButton";
constexpr char kAnnouncerName[] = "tolvaneAnnouncer";

// A control whose content a screen reader reads as text: Orca takes the
// value of a combo box and the content of a text field from the text
// interface, and says nothing (or the name again) without one.
class ReadOnlyText : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    using QAccessibleWidget::QAccessibleWidget;

    virtual QString content() const = 0;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text type) const override {
        return type == QAccessible::Value ? content() : QAccessibleWidget::text(type);
    }

    QString text(int startOffset, int endOffset) const override {
        return content().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(content().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
};

// Qt's own combo box interface names the box after its current entry on
// Linux, so the box's purpose is never heard. This one keeps the accessible
// name and gives the entry as the value; the rest is what Qt's gives: the
// popup list as the only child, and an action that opens and closes it.
class DriveListAccessible : public ReadOnlyText {
public:
    explicit DriveListAccessible(QComboBox* box) : ReadOnlyText(box, QAccessible::ComboBox) {}

    QString content() const override { return box()->currentText(); }

    QAccessible::State state() const override {
        QAccessible::State state = ReadOnlyText::state();
        state.expandable = true;
        state.expanded = box()->isVisible() && box()->view()->isVisible();
        return state;
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == box()->view() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (box()->view()->isVisible())
            box()->hidePopup();
        else
            box()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(object()); }
};

// A frame with a label inside is heard as "frame", and Qt 6.4 gives a label
// no text interface: the strip is a read-only text whose content is the path.
class PathStripAccessible : public ReadOnlyText {
public:
    explicit PathStripAccessible(QWidget* strip) : ReadOnlyText(strip, QAccessible::EditableText) {}

    QString content() const override { return displayText(object()->property("path").toString()); }
    QAccessible::State state() const override {
        QAccessible::State state = ReadOnlyText::state();
        state.readOnly = true;
        return state;
    }
    // The label inside is the content, not a child of its own.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

// A push button whose default state is the window's, not the focus's.
class CommandButtonAccessible : public QAccessibleWidget {
public:
    explicit CommandButtonAccessible(QPushButton* button)
        : QAccessibleWidget(button, QAccessible::PushButton) {}

    QString text(QAccessible::Text type) const override {
        QString text = QAccessibleWidget::text(type);
        if (type == QAccessible::Name && text.isEmpty())
            text = button()->text().remove(QLatin1Char('&'));
        return text;
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        state.defaultButton = button()->property(kDefaultButtonProperty).toBool();
        return state;
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QPushButton* button() const { return static_cast<QPushButton*>(object()); }
};

class NotificationAccessible : public QAccessibleWidget {
public:
    explicit NotificationAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Notification) {}
    QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Name)
            return widget()->property(kAnnouncementProperty).toString();
        return QAccessibleWidget::text(type);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == u"DriveList")
        return new DriveListAccessible(static_cast<QComboBox*>(object));
    if (className == u"PathStrip")
        return new PathStripAccessible(static_cast<QWidget*>(object));
    if (className == u"QPushButton" && object->property(kDefaultButtonProperty).isValid())
        return new CommandButtonAccessible(static_cast<QPushButton*>(object));
    if (className == u"QWidget" && object->property(kAnnouncementProperty).isValid())
        return new NotificationAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

void installAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

}  // namespace

void useOwnAccessibleInterface(QWidget* widget) {
    installAccessibleInterfaces();
    // Qt keeps the first interface made for a widget (setting its accessible
    // name makes one, and one made while the widget was still being built
    // took it for its base class): the next one comes from the factory.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(widget)));
}

void announce(QWidget* near, const QString& message) {
    if (!near || message.isEmpty() || !QAccessible::isActive())
        return;
    installAccessibleInterfaces();
    QWidget* window = near->window();
    auto* notice =
        window->findChild<QWidget*>(QLatin1String(kAnnouncerName), Qt::FindDirectChildrenOnly);
    if (!notice) {
        // Nothing to see: no size, no focus, never in the way of the mouse.
        notice = new QWidget(window);
        notice->setObjectName(QLatin1String(kAnnouncerName));
        notice->setProperty(kAnnouncementProperty, QString());
        notice->setFocusPolicy(Qt::NoFocus);
        notice->setAttribute(Qt::WA_TransparentForMouseEvents);
        notice->setGeometry(0, 0, 0, 0);
    }
    // A notification is heard when it appears: hidden first, the same
    // message twice in a row is heard twice.
    notice->hide();
    notice->setProperty(kAnnouncementProperty, message);
    notice->show();
}

void reportAsDefaultButton(QPushButton* button, bool isDefault) {
    const bool ours = button->property(kDefaultButtonProperty).isValid();
    button->setProperty(kDefaultButtonProperty, isDefault);
    if (!ours)
        useOwnAccessibleInterface(button);
}
