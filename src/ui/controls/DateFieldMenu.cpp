#include "ui/controls/DateFieldMenu.h"

#include "core/rename/DateFields.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>

namespace {

const QString kInsertMenuTitle = QStringLiteral("撮影日時を挿入");

// Each field's item names the form and shows it on a day.
QString caption(DateField field) {
    switch (field) {
        case DateField::Date:
            return QStringLiteral("年月日 (20240512)");
        case DateField::DashedDate:
            return QStringLiteral("年-月-日 (2024-05-12)");
        case DateField::Time:
            return QStringLiteral("時分秒 (093015)");
    }
    return {};
}

}  // namespace

DateFieldMenu::DateFieldMenu(QLineEdit* box) : QObject(box), box_(box) {
    box->installEventFilter(this);
}

bool DateFieldMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched != box_ || event->type() != QEvent::ContextMenu)
        return false;
    // As the box opens its own menu: the standard items, shown without
    // waiting, and gone once closed.
    QMenu* menu = box_->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    QMenu* fields = menu->addMenu(kInsertMenuTitle);
    const qsizetype kept = box_->text().size() - box_->selectedText().size();
    for (const DateField field : kDateFields) {
        const QString text = dateFieldText(field).toString();
        QAction* item = fields->addAction(caption(field));
        item->setEnabled(!box_->isReadOnly() && kept + text.size() <= box_->maxLength());
        connect(item, &QAction::triggered, box_, [box = box_, text] { box->insert(text); });
    }
    menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
}
