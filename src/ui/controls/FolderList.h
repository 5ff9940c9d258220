#pragma once

#include "ui/services/Volumes.h"

#include <QHash>
#include <QTreeWidget>

#include <vector>

class QFileSystemWatcher;
class QTimer;

// The folder list: the open folder with its ancestors above it and its
// subfolders below. A double click or Enter opens a folder; a single click
// only highlights one; a folder that cannot be read says why in a box and
// the list stays where it was. path() is the open folder, "/" for the root
// and without a final "/" otherwise. Every change of the open folder raises
// changed at once, nested in the code that caused it. However deep the open
// folder lies, its name and its subfolders' names keep their room: the
// levels step in less where they would not.
class FolderList : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    // Opens folder (relative to the open one when relative). The empty text
    // leaves the list where it is. On failure nothing changes.
    FolderAccess setPath(const QString& folder);

    // Moves to that drive's current folder: the last folder this list showed
    // on it, or its mount point at first.
    FolderAccess setDrive(const QString& mountPoint);

    // Reads the subfolders again. When the open folder has vanished, moves to
    // the nearest ancestor that still exists (a change of folder).
    void refresh();

    // The folder that a single click highlighted, or path() when none is.
    QString highlightedFolder() const;

    // Moves to the nearest existing ancestor of folder (or folder itself).
    void openNearestExisting(const QString& folder);

    // Has a screen reader say that the open folder was opened, as Enter on a
    // folder does, unless the list said so itself when it last showed it.
    void announceOpenFolder();

    // Whether the open folder is watched for changes made outside the
    // program. Turned back on, it looks at the folder once.
    void setWatching(bool watching);

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    // The chain is always open: no expand and collapse marks.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    // Shows target (which exists); a different folder raises changed.
    void open(const QString& target);
    void rebuild();
    // Makes parent's children the folders at paths, in that order, keeping
    // the entries already there; returns them.
    std::vector<QTreeWidgetItem*> keepChildren(QTreeWidgetItem* parent, const QStringList& paths);
    void fitIndentation();
    void openItem(QTreeWidgetItem* item);
    void onWatchedFolderChanged();

    QString path_;
    QString builtPath_;                     // the folder the entries show as open
    QTreeWidgetItem* openEntry_ = nullptr;  // its entry
    bool openAnnounced_ = false;            // since the entries were last built
    QPersistentModelIndex resumeAt_;        // the current entry while the list lacks the focus
    std::vector<QByteArray> shownSubfolders_;
    QHash<QString, QString> driveFolders_;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* watchDelay_ = nullptr;
    bool watching_ = true;
};
