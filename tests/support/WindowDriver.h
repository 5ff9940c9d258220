#pragma once

// Drives the program's windows the way a user meets them: controls are found
// by their captions, by the names a screen reader says, or as the one list of
// their kind, never through the windows' own members.

#include "core/files/FileList.h"
#include "ui/controls/ConversionList.h"
#include "ui/controls/DriveList.h"
#include "ui/controls/FolderList.h"
#include "ui/controls/PathStrip.h"
#include "ui/windows/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include <initializer_list>
#include <memory>

// The button whose caption is caption.
inline QPushButton* findButton(const QWidget& window, const QString& caption) {
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        if (button->text() == caption)
            return button;
    }
    qFatal("no button %s", qPrintable(caption));
}

// The text box a screen reader names name (its label's text).
inline QLineEdit* findTextBox(const QWidget& window, const QString& name) {
    for (QLineEdit* edit : window.findChildren<QLineEdit*>()) {
        if (edit->accessibleName() == name)
            return edit;
    }
    qFatal("no text box %s", qPrintable(name));
}

inline QCheckBox* findCheckBox(const QWidget& window, const QString& caption) {
    for (QCheckBox* box : window.findChildren<QCheckBox*>()) {
        if (box->text() == caption)
            return box;
    }
    qFatal("no check box %s", qPrintable(caption));
}

// The one child of type T.
template <typename T>
T* findOnly(const QWidget& window) {
    const QList<T*> found = window.findChildren<T*>();
    if (found.size() != 1)
        qFatal("%d children of the kind asked for", int(found.size()));
    return found.front();
}

// A menu item of the menu bar or of a context menu, by its text.
inline QAction* findMenuItem(const QWidget& window, const QString& text) {
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    qFatal("no menu item %s", qPrintable(text));
}

inline QStringList namesIn(const NameList& list) {
    QStringList names;
    for (int row = 0; row < list.count(); ++row)
        names << list.text(row);
    return names;
}

class MainWindowDriver {
public:
    explicit MainWindowDriver(MainWindow& window) : w_(window) {}

    QLineEdit* prefix() const { return findTextBox(w_, QStringLiteral("前：")); }
    QLineEdit* startNumber() const { return findTextBox(w_, QStringLiteral("開始番号：")); }
    QLineEdit* suffix() const { return findTextBox(w_, QStringLiteral("後：")); }
    QCheckBox* moveToFolder() const { return findCheckBox(w_, QStringLiteral("保存先を変更する")); }
    QCheckBox* ownName() const { return findCheckBox(w_, QStringLiteral("元ﾌｧｲﾙ名＋連番")); }
    QPushButton* convertButton() const { return findButton(w_, QStringLiteral("変換")); }
    QPushButton* clearButton() const { return findButton(w_, QStringLiteral("clear")); }
    QPushButton* destinationButton() const { return findButton(w_, QStringLiteral("保存先")); }
    DriveList* drives() const { return findOnly<DriveList>(w_); }
    FolderList* folders() const { return findOnly<FolderList>(w_); }
    ConversionList* conversionList() const { return findOnly<ConversionList>(w_); }
    PathStrip* destinationStrip() const { return findOnly<PathStrip>(w_); }
    FileList* files() const { return w_.findChild<FileList*>(); }
    // The conversion list's context menu.
    QMenu* listMenu() const {
        return qobject_cast<QMenu*>(menuItem(QStringLiteral("リストから削除"))->parent());
    }
    QAction* menuItem(const QString& text) const { return findMenuItem(w_, text); }

    FolderAccess openFolder(const QString& folder) const { return folders()->setPath(folder); }
    void setPatterns(const QString& patterns) const { files()->setPattern(patterns); }
    void convert() const { convertButton()->click(); }
    // Selects rows of the conversion list and removes them with the context
    // menu's リストから削除.
    void removeRows(std::initializer_list<int> rows) const {
        conversionList()->clearSelection();
        for (const int row : rows)
            conversionList()->setRowSelected(row, true);
        menuItem(QStringLiteral("リストから削除"))->trigger();
    }
    QStringList listed() const { return namesIn(*conversionList()); }
    void select(std::initializer_list<int> rows) const {
        conversionList()->clearSelection();
        for (const int row : rows)
            conversionList()->setRowSelected(row, true);
        if (rows.size() > 0)
            conversionList()->selectionModel()->setCurrentIndex(
                conversionList()->model()->index(*rows.begin(), 0), QItemSelectionModel::NoUpdate);
    }
    void sortByShootingTime() const { menuItem(QStringLiteral("撮影日時順に並べる"))->trigger(); }
    void sortByName() const { menuItem(QStringLiteral("名前順に並べる"))->trigger(); }
    // What a person sees on hovering over an entry.
    QString toolTip(int row) const {
        const QAbstractItemModel* model = conversionList()->model();
        return model->data(model->index(row, 0), Qt::ToolTipRole).toString();
    }
    // Drags the selected entries as the list hands them out and drops them on
    // the upper half of row (below the last entry when row is the count).
    // True when the list took the drop. The window must be showing.
    bool dragSelectedTo(int row) const {
        ConversionList* list = conversionList();
        std::unique_ptr<QMimeData> data(
            list->model()->mimeData(list->selectionModel()->selectedIndexes()));
        return drop(*data, row);
    }
    // The same with data from elsewhere, offering the actions it offers (a
    // file manager: copy, move and link); true when anything took it.
    bool drop(const QMimeData& data, int row, Qt::DropActions offered = Qt::MoveAction) const {
        ConversionList* list = conversionList();
        const bool below = row >= list->count();
        const QRect rect = list->visualRect(list->model()->index(below ? row - 1 : row, 0));
        const QPoint at(rect.center().x(), below ? rect.bottom() - 1 : rect.top() + 1);
        QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &move);
        QDropEvent drop(at, offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &drop);
        return drop.isAccepted();
    }
    // Alt+Up (step -1) or Alt+Down (+1) in the conversion list.
    void moveByKey(int step) const {
        QTest::keyClick(conversionList(), step < 0 ? Qt::Key_Up : Qt::Key_Down, Qt::AltModifier);
    }

private:
    MainWindow& w_;
};
