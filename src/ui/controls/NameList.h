#pragma once

#include <QByteArray>
#include <QListView>

#include <vector>

class NameListModel;

// A list of names over a model, so that tens of thousands of entries fill in
// one step. Entries are kept as native bytes (a file name as the directory
// gave it) and shown as text. Rows are numbered from 0; removing one
// renumbers the later ones. A screen reader hears the current entry when the
// list takes the focus, and the new one when the entry goes.
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
    void setNames(std::vector<QByteArray> natives);
    void removeRow(int row);
    // Removes the selected rows, the files themselves untouched.
    void removeSelectedRows();
    void clearNames();

    int count() const;
    QString text(int row) const;              // as shown
    const QByteArray& native(int row) const;  // as the directory gave it
    const std::vector<QByteArray>& natives() const;

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

private:
    // Tells a screen reader which entry is current, while the list has the focus.
    void reportCurrentEntry();

    NameListModel* model_;
    bool sorted_ = false;
    bool hadFocus_ = false;
    bool removing_ = false;
};
