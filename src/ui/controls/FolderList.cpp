#include "ui/controls/FolderList.h"

#include "core/common/ErrorReasons.h"
#include "core/files/FileListing.h"
#include "core/text/NativeName.h"
#include "core/text/Paths.h"
#include "ui/services/Accessibility.h"
#include "ui/services/MessageBoxes.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileSystemWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSet>
#include <QTimer>

#include <algorithm>

namespace {

// ---- what the list says ----------------------------------------------------

// The box when a folder cannot be opened; error is an errno.
Message openFailedMessage(const QString& folder, int error) {
    return Message{displayText(folder) + QStringLiteral(" を開けませんでした.") + kParagraph +
                       reasonForError(error),
                   kWarningTitle, Icon::Warning};
}

// What a screen reader says of an entry's depth, of the open folder (what
// the bold type tells the eye), and when a folder has opened.
QString levelDescription(int level) {
    return QStringLiteral("レベル %1").arg(level);
}
const QString kOpenFolderMark = QStringLiteral("（開いているフォルダー）");
const QString kOpenedAnnouncement = QStringLiteral(" を開きました");

// ----------------------------------------------------------------------------

constexpr int kPathRole = Qt::UserRole;

// Pixels a level steps in. Past the first few levels it steps in less when
// the names of the open folder and its subfolders would not fit otherwise,
// down to the least, and below that only where a name would have no room
// left to read at all.
constexpr int kIndentation = 10;
constexpr int kPlainLevels = 3;
constexpr int kLeastIndentation = 2;
constexpr int kReadableWidth = 64;

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
    setIndentation(kIndentation);
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
    const QList<QTreeWidgetItem*> highlighted = selectedItems();
    return highlighted.isEmpty() ? path_ : highlighted.first()->data(0, kPathRole).toString();
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

void FolderList::focusInEvent(QFocusEvent* event) {
    // Back to where the keyboard left off, or to the open folder.
    if (!currentIndex().isValid()) {
        QModelIndex caret = resumeAt_;
        if (!caret.isValid() && openEntry_)
            caret = indexFromItem(openEntry_);
        if (caret.isValid())
            selectionModel()->setCurrentIndex(caret, QItemSelectionModel::NoUpdate);
    }
    QTreeWidget::focusInEvent(event);
    // Qt reports the current folder before it reports the list itself as
    // focused, so a screen reader heard "tree" and not the open folder:
    // report the folder again once the list's own report is out.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus() && currentIndex().isValid())
                currentChanged(currentIndex(), currentIndex());
        },
        Qt::QueuedConnection);
}

void FolderList::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    // Screen readers take the current entry of a list for the focused object
    // whether the list has the focus or not (Qt 6.4 reports it so), and
    // after clear Orca heard two objects with the focus. Without the focus
    // the list has no current entry; it takes it back with the focus.
    if (currentIndex().isValid()) {
        resumeAt_ = currentIndex();
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void FolderList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // QTreeView tells screen readers that a new current folder has the focus
    // even while another control has it (after clear, a drive change, or
    // before the dialog shows), and Orca then spoke of the folder as if the
    // focus were there: only a list with the focus reports it.
    if (hasFocus())
        QTreeWidget::currentChanged(current, previous);
    else
        // The view's own work, without its report.
        // NOLINTNEXTLINE(bugprone-parent-virtual-call)
        QAbstractItemView::currentChanged(current, previous);
}

void FolderList::selectionChanged(const QItemSelection& selected,
                                  const QItemSelection& deselected) {
    // As above: an entry selected while another control has the focus is
    // not news to a screen reader, and the entry may be gone before the
    // list gets the focus, leaving the reader holding a broken object.
    if (hasFocus())
        QTreeWidget::selectionChanged(selected, deselected);
    else
        // NOLINTNEXTLINE(bugprone-parent-virtual-call)
        QAbstractItemView::selectionChanged(selected, deselected);
}

void FolderList::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    fitIndentation();
}

void FolderList::openItem(QTreeWidgetItem* item) {
    if (!item)
        return;
    const QString folder = item->data(0, kPathRole).toString();
    const int error = probe(folder);
    switch (folderAccessFor(error)) {
        case FolderAccess::Opened:
            open(folder);
            return;
        case FolderAccess::NotFound:
            // Gone since the list was drawn: show what is there now.
            openNearestExisting(folder);
            return;
        case FolderAccess::NotReady:
        case FolderAccess::Failed:
            break;
    }
    showMessage(window(), openFailedMessage(folder, error));
}

void FolderList::onWatchedFolderChanged() {
    if (!path_.isEmpty() && probe(path_) != 0)
        openNearestExisting(path_);
    else if (subfoldersOf(path_) != shownSubfolders_)
        rebuild();  // only when the tree itself changed, so a highlight survives
}

std::vector<QTreeWidgetItem*> FolderList::keepChildren(QTreeWidgetItem* parent,
                                                       const QStringList& paths) {
    const QSet<QString> wanted(paths.begin(), paths.end());
    for (int i = parent->childCount() - 1; i >= 0; --i) {
        if (!wanted.contains(parent->child(i)->data(0, kPathRole).toString()))
            delete parent->takeChild(i);
    }
    // What is left is in the order of paths (both in natural order).
    std::vector<QTreeWidgetItem*> items;
    for (int i = 0; i < int(paths.size()); ++i) {
        QTreeWidgetItem* child = parent->child(i);
        if (!child || child->data(0, kPathRole).toString() != paths[i]) {
            child = new QTreeWidgetItem;
            child->setData(0, kPathRole, paths[i]);
            parent->insertChild(i, child);
        }
        items.push_back(child);
    }
    return items;
}

void FolderList::rebuild() {
    static const QFileIconProvider icons;
    const QIcon rootIcon = icons.icon(QFileIconProvider::Drive);
    const QIcon folderIcon = icons.icon(QFileIconProvider::Folder);

    // The chain of ancestors, each one nested in the one above it.
    QStringList chain;
    for (QString p = path_; !p.isEmpty(); p = parentFolder(p))
        chain.prepend(p);
    shownSubfolders_.clear();
    if (!chain.isEmpty())
        shownSubfolders_ = subfoldersOf(path_);
    QStringList subfolderPaths;
    for (const QByteArray& native : shownSubfolders_)
        subfolderPaths << joinPath(path_, fromNative(native));

    const auto showFolder = [](QTreeWidgetItem* item, const QString& name, const QString& tip,
                               int level, const QIcon& icon) {
        item->setText(0, displayText(name));
        item->setToolTip(0, tip);
        item->setIcon(0, icon);
        item->setData(0, Qt::FontRole, QVariant());
        item->setData(0, Qt::AccessibleTextRole, QVariant());
        // Orca 43 learns an entry's depth from nothing Qt 6.4 gives it.
        item->setData(0, Qt::AccessibleDescriptionRole, levelDescription(level));
    };

    setUpdatesEnabled(false);
    clearSelection();  // a rebuild forgets a highlight: the open folder takes it below
    openAnnounced_ = false;
    const bool opened = builtPath_ != path_;
    builtPath_ = path_;
    // An entry that stays on show is kept, not made anew: Qt 6.4 leaves the
    // accessibility object of a removed entry behind, broken, and a screen
    // reader that still held it (the entry it last heard of) made Qt print
    // "Accessible invalid" at every question about it.
    QTreeWidgetItem* parent = invisibleRootItem();
    openEntry_ = nullptr;
    for (qsizetype depth = 0; depth < chain.size(); ++depth) {
        QTreeWidgetItem* item = keepChildren(parent, {chain[depth]}).front();
        showFolder(item, folderName(chain[depth]), displayText(chain[depth]), int(depth) + 1,
                   depth == 0 ? rootIcon : folderIcon);
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        parent = item;
        openEntry_ = item;
    }
    const std::vector<QTreeWidgetItem*> subfolders = keepChildren(parent, subfolderPaths);
    for (size_t k = 0; k < subfolders.size(); ++k) {
        QTreeWidgetItem* item = subfolders[k];
        // The list is narrow: the tooltip shows a long name in full.
        const QString name = fromNative(shownSubfolders_[k]);
        showFolder(item, name, displayText(name), int(chain.size()) + 1, folderIcon);
        keepChildren(item, {});
        // Screen readers call a folder that holds folders "collapsed"; the
        // others get no such word.
        item->setChildIndicatorPolicy(hasSubfolder(toNative(subfolderPaths[qsizetype(k)]))
                                          ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
        item->setExpanded(false);
    }
    if (QTreeWidgetItem* open = openEntry_) {
        // Only the chain is open: expandAll() called even a folder without
        // subfolders "expanded".
        for (QTreeWidgetItem* item = open; item; item = item->parent())
            item->setExpanded(item->childCount() > 0);
        QFont bold = font();
        bold.setBold(true);
        open->setFont(0, bold);
        // What the bold type tells the eye.
        open->setData(0, Qt::AccessibleTextRole, open->text(0) + kOpenFolderMark);
        // The open folder is the selected one, and current where the list
        // has the focus; otherwise where the keyboard starts when it comes.
        const QModelIndex openIndex = indexFromItem(open);
        const QModelIndex before = currentIndex();
        resumeAt_ = openIndex;
        selectionModel()->select(openIndex, QItemSelectionModel::ClearAndSelect);
        selectionModel()->setCurrentIndex(hasFocus() ? openIndex : QModelIndex(),
                                          QItemSelectionModel::NoUpdate);
        // Enter opens the current entry, which stays current: no report, and
        // Qt 6.4 does not pass the expanded state on either. Say it.
        if (opened && currentIndex() == before && hasFocus())
            announceOpenFolder();
        fitIndentation();
        scrollToItem(open, QAbstractItemView::PositionAtTop);
    }
    setUpdatesEnabled(true);

    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (!path_.isEmpty() && watching_)
        watcher_->addPath(path_);
}

void FolderList::setWatching(bool watching) {
    if (watching == watching_)
        return;
    watching_ = watching;
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    watchDelay_->stop();
    if (watching && !path_.isEmpty()) {
        watcher_->addPath(path_);
        watchDelay_->start();  // what changed meanwhile
    }
}

void FolderList::announceOpenFolder() {
    if (!openEntry_ || openAnnounced_)
        return;
    openAnnounced_ = true;
    announce(this, openEntry_->text(0) + kOpenedAnnouncement);
}

void FolderList::fitIndentation() {
    if (!openEntry_)
        return;
    int depth = 0;  // of the open folder; the root's is 0
    for (const QTreeWidgetItem* item = openEntry_; item->parent(); item = item->parent())
        ++depth;
    // The deepest level shown: the subfolders', or the open folder's.
    const int level = openEntry_->childCount() > 0 ? depth + 1 : depth;
    int indentation = kIndentation;
    if (level > kPlainLevels) {
        const int rows = depth + 1 + openEntry_->childCount();
        int room = contentsRect().width();
        if (rows * sizeHintForIndex(indexFromItem(openEntry_)).height() > contentsRect().height())
            room -= verticalScrollBar()->sizeHint().width();
        int wanted = sizeHintForIndex(indexFromItem(openEntry_)).width();
        for (int k = 0; k < openEntry_->childCount(); ++k)
            wanted =
                std::max(wanted, sizeHintForIndex(indexFromItem(openEntry_->child(k))).width());
        const int least =
            room - level * kLeastIndentation >= kReadableWidth ? kLeastIndentation : 0;
        // A name wider than the list is cut however little the levels step in.
        wanted = std::min(wanted, room - level * least);
        indentation = std::clamp((room - wanted) / level, least, kIndentation);
    }
    if (indentation != this->indentation())
        setIndentation(indentation);
}
