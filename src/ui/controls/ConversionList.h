#pragma once

#include "core/files/Shots.h"
#include "ui/controls/NameList.h"

#include <functional>
#include <vector>

class ConversionListModel;

// The files a batch renames, in the order they are numbered: one shot a row
// (see Shots.h: a file alone, or the files of one name and their sidecars),
// holding one record a file (see ListedFile.h), so that tens of thousands of
// entries fill in one step and every removal and move takes each file's
// inode number and shooting time along with its name. The entries may be
// moved by hand, and ordered by name or by the time each shot was taken
// (corrected by its camera's clock offset; the tooltip then says 補正済み).
class ConversionList : public NameList {
    Q_OBJECT
public:
    explicit ConversionList(QWidget* parent = nullptr);

    // Replaces every entry at once, in the order given.
    void setShots(std::vector<Shot> shots);
    void clearFiles();
    const std::vector<Shot>& shots() const;

    // Changes whenever an entry comes, goes or moves. What was worked out
    // from shots() as they stood at one generation belongs to that list only.
    quint64 generation() const;
    // Takes the rows of shots() at generation, their shooting times read or
    // corrected meanwhile; a list in shooting order is put in order again by
    // the new times. When the list changed since (another folder, an entry
    // removed or moved) it stays as it is: false.
    bool setTimes(quint64 generation, std::vector<Shot> timed);
    // The same, and the list in shooting order by those times.
    bool orderByTime(quint64 generation, std::vector<Shot> timed);
    void orderByName();
    // Whether the list stands in shooting order: put so, and neither moved by
    // hand, put in name order nor filled anew since.
    bool isInShootingOrder() const;
    // Reads the time of one file of an entry, by its name, when the entry's
    // tooltip is asked for before the times were read for the whole list.
    // TimeSource::None: not now (it is asked again next time).
    void setTimeReader(std::function<ShootingTime(const QByteArray& name)> reader);

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

    // Hidden while it is rebuilt; shown again, it takes back the focus it had.
    void setHiddenKeepingFocus(bool hidden);

protected:
    void removeEntry(int row) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool isOwnDrag(const QDropEvent& event) const;
    // Tells a screen reader where the first selected entry stands after a
    // move, which changes no entry that it would report by itself.
    void announceMoved();

    ConversionListModel* model_;
    bool hadFocus_ = false;
};
