#pragma once

#include <QListView>

#include <vector>

// What the program's lists of names share, whatever each entry stands for
// (a file of the conversion list, a pattern of 拡張子設定): one name a row,
// shown as text; rows numbered from 0, a removal renumbering the later ones.
// A screen reader hears the current entry when the list takes the focus, and
// the new one when the entry goes. The right mouse button and the Delete key
// select and remove nothing by themselves: they are reported, and the owner
// decides what they do.
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

signals:
    // A press of the right mouse button, at its global position. The press
    // neither selects nor deselects anything.
    void rightButtonPressed(const QPoint& globalPos);
    // The Delete key, pressed while the list has the focus.
    void deleteKeyPressed();

protected:
    // The model's own removal of one row; row is in range.
    virtual void removeEntry(int row) = 0;

    std::vector<bool> selectedRows() const;

    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    // Tells a screen reader which entry is current, while the list has the focus.
    void reportCurrentEntry();

    bool removing_ = false;
};
