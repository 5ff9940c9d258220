#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QListView>

#include <vector>

class ListBoxModel;

// A list box over a model, so that tens of thousands of entries fill in one
// step. Entries are kept as native bytes (a file name as the directory gave
// it) and shown as text. Items are numbered from 0; removing one renumbers the
// later ones.
class ListBox : public QListView {
    Q_OBJECT
public:
    enum class Selection { Extended, Simple };

    explicit ListBox(QWidget* parent = nullptr);

    // Sorted boxes place every added entry at its place in natural order.
    void setSorted(bool sorted);
    void setSelectionKind(Selection kind);

    void AddItem(const QString& text);
    void addNative(const QByteArray& native);
    // Replaces every entry at once (the entries as they come, even when sorted).
    void setItems(std::vector<QByteArray> natives);
    void RemoveItem(int index);
    void Clear();

    int ListCount() const;
    QString List(int index) const;                  // as shown
    const QByteArray& nativeItem(int index) const;  // as the directory gave it
    const std::vector<QByteArray>& nativeItems() const;

    bool Selected(int index) const;
    void setSelected(int index, bool selected);

    // Hiding keeps the focus where it was when the box is shown again.
    bool Visible() const { return !isHidden(); }
    void setVisibleKeepingFocus(bool visible);

signals:
    // A press of the right mouse button, at its global position. The press
    // neither selects nor deselects anything.
    void rightButtonPressed(const QPoint& globalPos);
    // The Delete key, pressed while the box has the focus.
    void deleteKeyPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ListBoxModel* model_;
    bool sorted_ = false;
    bool hadFocus_ = false;
};
