#pragma once

#include <QListView>
#include <QPointer>

#include <vector>

class QMenu;

// What the program's lists of names share, whatever each entry stands for
// (a file of the conversion list, a pattern of 拡張子設定): one name a row,
// shown as text; rows numbered from 0, a removal renumbering the later ones.
// A screen reader hears the current entry when the list takes the focus, and
// the new one when the entry goes. The Delete key removes nothing by itself:
// it is reported, and the owner decides what it does.
class NameList : public QListView {
    Q_OBJECT
public:
    enum class Selection { Extended, Multiple };

    explicit NameList(QWidget* parent = nullptr);

    void setSelectionKind(Selection selection);

    int count() const;
    QString text(int row) const;  // as shown

    void removeRow(int row);
    // Removes the selected rows (for files: from the list, the files untouched).
    void removeSelectedRows();

    bool isRowSelected(int row) const;
    void setRowSelected(int row, bool selected);

    // The menu that the right mouse button opens at the pointer, and the Menu
    // key and Shift+F10 at the current entry (at the list's top-left corner
    // when there is none). Its items act on the selected entries, which are
    // chosen first as a desktop list chooses them: the entry under the
    // pointer (or the current one) becomes the one selected entry unless it
    // is selected already, which keeps the selection; a right click on the
    // empty space below the entries clears the selection. Without a menu
    // these select nothing and open nothing.
    void setContextMenu(QMenu* menu);

signals:
    // The Delete key, pressed while the list has the focus.
    void deleteKeyPressed();

protected:
    // The model's own removal of one row; row is in range.
    virtual void removeEntry(int row) = 0;

    std::vector<bool> selectedRows() const;
    // Tells a screen reader which entry is current, while the list has the focus.
    void reportCurrentEntry();

    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The Menu key, as the platform reports it.
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Chooses the entries the menu acts on, for the entry at (invalid: the
    // empty space); see setContextMenu.
    void chooseEntriesForMenu(const QModelIndex& at);
    void openMenuAtCurrentEntry();

    bool removing_ = false;
    QPointer<QMenu> menu_;
};
