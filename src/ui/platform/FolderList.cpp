#include "ui/platform/FolderList.h"

#include "app/NativeName.h"
#include "ui/platform/FileListing.h"
#include "ui/platform/Volumes.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

constexpr int kPathRole = Qt::UserRole;

// The subfolders of folder, natural order, hidden ones left out.
std::vector<QByteArray> subfolders(const QString& folder) {
    std::vector<QByteArray> names;
    const QByteArray native = toNative(folder);
#ifdef Q_OS_UNIX
    DIR* dir = ::opendir(native.constData());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st;
            const QByteArray full = native + (native.endsWith('/') ? "" : "/") + entry->d_name;
            isDir = ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
#else
    const QStringList list = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : list)
        names.push_back(toNative(name));
#endif
    std::sort(names.begin(), names.end(), [](const QByteArray& a, const QByteArray& b) {
        return naturalLess(std::string_view(a.constData(), size_t(a.size())),
                           std::string_view(b.constData(), size_t(b.size())));
    });
    return names;
}

QString joinPath(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

QString parentOf(const QString& folder) {
    if (folder == QLatin1String("/") || folder.isEmpty())
        return QString();
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : folder.left(slash);
}

}  // namespace

QString normalizeFolderPath(const QString& path) {
    if (path.isEmpty())
        return path;
    // cleanPath keeps the escaped bytes of fromNative: it only looks at "/" and ".".
    QString clean = QDir::cleanPath(path);
    if (clean.size() > 1 && clean.endsWith(QLatin1Char('/')))
        clean.chop(1);
    return clean;
}

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
    const QString drive = volumeOf(start, volumeSource().volumes());
    if (!drive.isEmpty())
        driveFolders_.insert(drive, start);
    rebuild();
}

int FolderList::setPath(const QString& folder) {
    if (folder.isEmpty())
        return 0;
    QString target = normalizeFolderPath(folder);
    if (QDir::isRelativePath(target))
        target = normalizeFolderPath(joinPath(path_, target));
    const int err = volumeSource().probe(target);
    if (err == ENOENT || err == ENOTDIR)
        return kErrPathNotFound;
    if (err != 0)
        return isNotReadyError(err) ? kErrDiskNotReady : kErrPathFileAccess;
    open(target);
    return 0;
}

void FolderList::open(const QString& target) {
    if (target == path_) {
        rebuild();
        return;
    }
    path_ = target;
    // The folder now shown is its drive's current folder.
    const QString drive = volumeOf(target, volumeSource().volumes());
    if (!drive.isEmpty())
        driveFolders_.insert(drive, target);
    rebuild();
    emit changed();
}

int FolderList::setDrive(const QString& mountPoint) {
    const int err = volumeSource().probe(mountPoint);
    if (err != 0) {
        // A mount point that has gone is a medium that was taken out.
        if (isNotReadyError(err) || err == ENOENT)
            return kErrDiskNotReady;
        return 1000 + err;
    }
    QString target = driveFolders_.value(mountPoint, mountPoint);
    // The folder last shown on the drive may have gone meanwhile: take the
    // nearest ancestor that is still there, never leaving the drive.
    while (target != mountPoint && volumeSource().probe(target) != 0)
        target = parentOf(target);
    const int result = setPath(target);
    if (result == kErrDiskNotReady)
        return result;
    return result == 0 ? 0 : 1000 + EIO;
}

void FolderList::Refresh() {
    if (path_.isEmpty() || volumeSource().probe(path_) == 0) {
        rebuild();
        return;
    }
    openNearestExisting(path_);
}

void FolderList::openNearestExisting(const QString& folder) {
    QString target = normalizeFolderPath(folder);
    while (!target.isEmpty() && volumeSource().probe(target) != 0)
        target = parentOf(target);
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
    if (setPath(folder) == 0)
        return;
    // A folder that went away since the list was drawn: show what is there now.
    openNearestExisting(folder);
}

void FolderList::onWatchedFolderChanged() {
    if (!path_.isEmpty() && volumeSource().probe(path_) != 0)
        openNearestExisting(path_);
    else if (subfolders(path_) != shownSubfolders_)
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
    for (QString p = path_; !p.isEmpty(); p = parentOf(p))
        chain.prepend(p);
    QTreeWidgetItem* parent = nullptr;
    QTreeWidgetItem* open = nullptr;
    for (const QString& p : chain) {
        const QString name =
            p == QLatin1String("/") ? p : p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, displayText(name));
        item->setData(0, kPathRole, p);
        item->setIcon(0, parent ? openIcon : rootIcon);
        item->setToolTip(0, displayText(p));
        parent = item;
        open = item;
    }
    if (open) {
        shownSubfolders_ = subfolders(path_);
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
