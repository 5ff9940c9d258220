#include "ui/controls/FolderList.h"

#include "core/files/FileListing.h"
#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

namespace {

constexpr int kPathRole = Qt::UserRole;

std::vector<QByteArray> subfoldersOf(const QString& folder) {
    return listSubfolders(toNative(folder));
}

int probe(const QString& folder) {
    return VolumeSource::current().probe(folder);
}

}  // namespace

FolderList::FolderList(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(10);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { openItem(item); });

    // A folder deleted behind the program's back must not stay on show.
    watcher_ = new QFileSystemWatcher(this);
    watchDelay_ = new QTimer(this);
    watchDelay_->setSingleShot(true);
    watchDelay_->setInterval(150);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, watchDelay_,
            qOverload<>(&QTimer::start));
    connect(watchDelay_, &QTimer::timeout, this, &FolderList::onWatchedFolderChanged);

    const QString start = normalizeFolderPath(QDir::currentPath());
    path_ = start;
    const QString drive = volumeOf(start, VolumeSource::current().volumes());
    if (!drive.isEmpty())
        driveFolders_.insert(drive, start);
    rebuild();
}

FolderAccess FolderList::setPath(const QString& folder) {
    if (folder.isEmpty())
        return FolderAccess::Opened;
    QString target = normalizeFolderPath(folder);
    if (QDir::isRelativePath(target))
        target = normalizeFolderPath(joinPath(path_, target));
    const FolderAccess access = folderAccessFor(probe(target));
    if (access == FolderAccess::Opened)
        open(target);
    return access;
}

void FolderList::open(const QString& target) {
    if (target == path_) {
        rebuild();
        return;
    }
    path_ = target;
    // The folder now shown is its drive's current folder.
    const QString drive = volumeOf(target, VolumeSource::current().volumes());
    if (!drive.isEmpty())
        driveFolders_.insert(drive, target);
    rebuild();
    emit changed();
}

FolderAccess FolderList::setDrive(const QString& mountPoint) {
    const FolderAccess access = folderAccessFor(probe(mountPoint));
    // A mount point that has gone is a medium that was taken out.
    if (access == FolderAccess::NotFound)
        return FolderAccess::NotReady;
    if (access != FolderAccess::Opened)
        return access;
    QString target = driveFolders_.value(mountPoint, mountPoint);
    // The folder last shown on the drive may have gone meanwhile: take the
    // nearest ancestor that is still there, never leaving the drive.
    while (target != mountPoint && probe(target) != 0)
        target = parentFolder(target);
    const FolderAccess opened = setPath(target);
    return opened == FolderAccess::NotFound ? FolderAccess::Failed : opened;
}

void FolderList::refresh() {
    if (path_.isEmpty() || probe(path_) == 0) {
        rebuild();
        return;
    }
    openNearestExisting(path_);
}

void FolderList::openNearestExisting(const QString& folder) {
    QString target = normalizeFolderPath(folder);
    while (!target.isEmpty() && probe(target) != 0)
        target = parentFolder(target);
    if (target.isEmpty())
        target = QDir::rootPath();
    open(target);
}

QString FolderList::highlightedFolder() const {
    const QTreeWidgetItem* item = currentItem();
    return item && item->isSelected() ? item->data(0, kPathRole).toString() : path_;
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (QTreeWidgetItem* item = currentItem())
            openItem(item);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void FolderList::openItem(QTreeWidgetItem* item) {
    if (!item)
        return;
    const QString folder = item->data(0, kPathRole).toString();
    if (setPath(folder) == FolderAccess::Opened)
        return;
    // A folder that went away since the list was drawn: show what is there now.
    openNearestExisting(folder);
}

void FolderList::onWatchedFolderChanged() {
    if (!path_.isEmpty() && probe(path_) != 0)
        openNearestExisting(path_);
    else if (subfoldersOf(path_) != shownSubfolders_)
        rebuild();  // only when the tree itself changed, so a highlight survives
}

void FolderList::rebuild() {
    static const QFileIconProvider icons;
    const QIcon openIcon = icons.icon(QFileIconProvider::Folder);
    const QIcon rootIcon = icons.icon(QFileIconProvider::Drive);

    setUpdatesEnabled(false);
    clear();
    // The chain of ancestors, each one nested in the one above it.
    QStringList chain;
    for (QString p = path_; !p.isEmpty(); p = parentFolder(p))
        chain.prepend(p);
    QTreeWidgetItem* parent = nullptr;
    QTreeWidgetItem* open = nullptr;
    for (const QString& p : chain) {
        const QString name = folderName(p);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, displayText(name));
        item->setData(0, kPathRole, p);
        item->setIcon(0, parent ? openIcon : rootIcon);
        item->setToolTip(0, displayText(p));
        parent = item;
        open = item;
    }
    if (open) {
        shownSubfolders_ = subfoldersOf(path_);
        const std::vector<QByteArray>& names = shownSubfolders_;
        const QIcon closedIcon = icons.icon(QFileIconProvider::Folder);
        for (const QByteArray& native : names) {
            const QString name = fromNative(native);
            auto* item = new QTreeWidgetItem(open);
            item->setText(0, displayText(name));
            item->setData(0, kPathRole, joinPath(path_, name));
            item->setIcon(0, closedIcon);
            item->setToolTip(0, displayText(name));  // the list is narrow: long names are cut
        }
        expandAll();
        setCurrentItem(open);
        open->setSelected(false);
        QFont bold = font();
        bold.setBold(true);
        open->setFont(0, bold);
        scrollToItem(open, QAbstractItemView::PositionAtTop);
    }
    setUpdatesEnabled(true);

    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (!path_.isEmpty())
        watcher_->addPath(path_);
}
