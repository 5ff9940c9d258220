#pragma once

// What a screen reader is told. The offscreen platform reports accessibility
// as off, and the widgets then send no events at all; switched on through
// Qt's platform interface (Qt6::GuiPrivate), as Qt's own tests do, they send,
// and the update handler takes every event in place of the AT-SPI bridge,
// asking for its interface as the bridge does.

#include <QAccessible>
#include <QPointer>
#include <QStringList>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

struct Heard {
    QAccessible::Event type;
    QPointer<QObject> object;  // the widget, or the view of an entry
    QAccessible::Id id;
    QAccessible::Role role;
    QString name;
};

inline QList<Heard> heard;

inline void startHearing() {
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        QAccessibleInterface* i = event->accessibleInterface();
        const bool valid = i && i->isValid();
        heard.append({event->type(), event->object(), i ? QAccessible::uniqueId(i) : 0u,
                      valid ? i->role() : QAccessible::NoRole,
                      valid ? i->text(QAccessible::Name) : QString()});
    });
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
}

// The last control or entry reported focused.
inline Heard lastFocus(const QList<Heard>& said = heard) {
    for (auto it = said.crbegin(); it != said.crend(); ++it) {
        if (it->type == QAccessible::Focus)
            return *it;
    }
    return {};
}

// What the program had a screen reader say: the notifications that appeared.
inline QStringList notifications(const QList<Heard>& said = heard) {
    QStringList texts;
    for (const Heard& h : said) {
        if (h.type == QAccessible::ObjectShow && h.role == QAccessible::Notification)
            texts << h.name;
    }
    return texts;
}

// The interfaces a screen reader was told of, in controls still there, that
// stand for nothing any more: a question about one makes the AT-SPI bridge
// print "Accessible invalid".
inline QStringList brokenHeld(const QList<Heard>& held) {
    QStringList broken;
    for (const Heard& h : held) {
        QAccessibleInterface* i = QAccessible::accessibleInterface(h.id);
        if (h.object && i && !i->isValid())
            broken << h.object->objectName() + u':' + h.name;
    }
    return broken;
}
