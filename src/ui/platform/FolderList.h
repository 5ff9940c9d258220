#pragma once

#include <QHash>
#include <QTreeWidget>

#include <vector>

class QFileSystemWatcher;
class QTimer;

// The folder list: the open folder with its ancestors above it and its
// subfolders below. A double click or Enter opens a folder; a single click
// only highlights one. Path is the open folder, "/" for the root and without
// a trailing separator otherwise. Every change of Path raises changed at once,
// nested in the code that caused it.
class FolderList : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    QString Path() const { return path_; }
    // Opens folder. The empty text leaves the list where it is. Returns 0, or
    // 76 when the folder does not exist, 71 when it cannot be opened because
    // its drive is not ready, 75 for any other failure; on failure nothing
    // changes.
    int setPath(const QString& folder);

    // Writing a drive: moves to that drive's current folder, the last folder
    // this list showed on it, or its mount point at first. Returns 0, 71 for a
    // drive that is not ready, or the errno of any other failure (>= 1000 +
    // errno, so that it never equals a platform number).
    int setDrive(const QString& mountPoint);

    // Re-reads the subfolders. When the open folder has vanished, moves to the
    // nearest ancestor that still exists (a change of Path).
    void Refresh();

    // The folder that a single click highlighted, or Path when none is.
    QString highlightedFolder() const;

    // Moves to the nearest existing ancestor of folder (or folder itself).
    void openNearestExisting(const QString& folder);

signals:
    void changed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The chain is always open: no expand and collapse marks.
    void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

private:
    // Shows target (which exists); a different folder raises changed.
    void open(const QString& target);
    void rebuild();
    void openItem(QTreeWidgetItem* item);
    void onWatchedFolderChanged();

    QString path_;
    std::vector<QByteArray> shownSubfolders_;
    QHash<QString, QString> driveFolders_;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer* watchDelay_ = nullptr;
};

// "/a/b/" -> "/a/b", "" stays "", relative paths are not touched.
QString normalizeFolderPath(const QString& path);
