#pragma once

#include "core/photo/ShootingTime.h"

#include <QByteArray>
#include <QListView>

#include <functional>
#include <optional>
#include <vector>

class NameListModel;

// A list of names over a model, so that tens of thousands of entries fill in
// one step. Entries are kept as native bytes (a file name as the directory
// gave it) and shown as text. Rows are numbered from 0; removing one
// renumbers the later ones. Beside each name the list keeps the file's inode
// number and, once read, its shooting time; every removal and reordering
// takes them along with their name. A screen reader hears the current entry
// when the list takes the focus, and the new one when the entry goes.
class NameList : public QListView {
    Q_OBJECT
public:
    enum class Selection { Extended, Multiple };

    explicit NameList(QWidget* parent = nullptr);

    // A sorted list places every added entry at its place in natural order.
    void setSorted(bool sorted) { sorted_ = sorted; }
    void setSelectionKind(Selection selection);

    void addText(const QString& text);
    void addNative(const QByteArray& native);
    // Replaces every entry at once (the entries as they come, even when sorted).
    // inodes: one per name, or none (then 0 for each).
    void setNames(std::vector<QByteArray> natives, std::vector<quint64> inodes = {});
    void removeRow(int row);
    // Removes the selected rows, the files themselves untouched.
    void removeSelectedRows();
    void clearNames();

    int count() const;
    QString text(int row) const;              // as shown
    const QByteArray& native(int row) const;  // as the directory gave it
    const std::vector<QByteArray>& natives() const;
    const std::vector<quint64>& inodes() const;
    // Each entry's shooting time, nothing where it has not been read.
    const std::vector<std::optional<ShootingTime>>& times() const;
    void setTimes(std::vector<std::optional<ShootingTime>> times);
    // Reads the time of one entry, by its name, when its tooltip is asked for
    // before the times were read for the whole list.
    void setTimeReader(std::function<std::optional<ShootingTime>(const QByteArray&)> reader);

    // Puts the entries in order (order[k]: the row that comes k-th); the
    // selection and the current entry stay with their entries.
    void reorder(const std::vector<int>& order);
    // The entries may be dragged to another place and moved with Alt+Up and
    // Alt+Down. Drops from elsewhere (files from a file manager) are left to
    // the window.
    void setReorderable(bool reorderable);
    // The selected entries, in their order, moved before row destination.
    void moveSelectedRowsTo(int destination);
    // The selected entries one place up (-1) or down (+1).
    void moveSelectedRowsBy(int step);

    bool isRowSelected(int row) const;
    void setRowSelected(int row, bool selected);

    // Hidden while it is rebuilt; shown again, it takes back the focus it had.
    void setHiddenKeepingFocus(bool hidden);

signals:
    // A press of the right mouse button, at its global position. The press
    // neither selects nor deselects anything.
    void rightButtonPressed(const QPoint& globalPos);
    // The Delete key, pressed while the list has the focus.
    void deleteKeyPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Tells a screen reader which entry is current, while the list has the focus.
    void reportCurrentEntry();
    bool isOwnDrag(const QDropEvent& event) const;
    std::vector<bool> selectedRows() const;

    NameListModel* model_;
    bool sorted_ = false;
    bool hadFocus_ = false;
    bool removing_ = false;
};
