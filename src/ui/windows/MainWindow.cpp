#include "ui/windows/MainWindow.h"

#include "core/common/TaskProgress.h"
#include "core/files/FileList.h"
#include "core/files/ListOrder.h"
#include "core/rename/FileSystem.h"
#include "core/rename/NameChecks.h"
#include "core/rename/Preview.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/Undo.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
#include "ui/controls/Accessibility.h"
#include "ui/controls/DriveChange.h"
#include "ui/controls/DriveList.h"
#include "ui/controls/FolderList.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/NameList.h"
#include "ui/controls/PathStrip.h"
#include "ui/controls/ProgramIcon.h"
#include "ui/controls/TextFilters.h"
#include "ui/controls/Twips.h"
#include "ui/services/MessageBoxes.h"
#include "ui/services/ShootingTimes.h"
#include "ui/windows/BackgroundWork.h"
#include "ui/windows/DestinationFolderDialog.h"
#include "ui/windows/ExtensionListDialog.h"
#include "ui/windows/HelpCommands.h"
#include "ui/windows/MainWindowLayout.h"
#include "ui/windows/WindowStyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QUrl>

#include <map>
#include <optional>
#include <utility>

namespace {

QFont fontOf(const ControlFont& font) {
    return font.face == FontFace::Fixed ? fixedGothic(font.points, font.bold)
                                        : proportionalGothic(font.points, font.bold);
}

// How often a folder handed over while the window is busy looks again
// whether it may open: no signal tells when a modal window has closed.
constexpr int kRequestRetryMs = 200;
// How long the window manager has to hand the window the focus before the
// window asks for attention instead.
constexpr int kActivationGraceMs = 500;

QWidget* newControl(MainControl control, QWidget* parent) {
    switch (control) {
        case MainControl::Client:
            break;
        case MainControl::DriveList:
            return new DriveList(parent);
        case MainControl::FolderList:
            return new FolderList(parent);
        case MainControl::ConversionList:
            return new NameList(parent);
        case MainControl::NameFrame:
        case MainControl::OptionFrame:
            return new QGroupBox(parent);
        case MainControl::PrefixLabel:
        case MainControl::StartNumberLabel:
        case MainControl::SuffixLabel:
            return new QLabel(parent);
        case MainControl::PrefixEdit:
        case MainControl::StartNumberEdit:
        case MainControl::SuffixEdit:
            return new QLineEdit(parent);
        case MainControl::MoveToFolderBox:
        case MainControl::OwnNameBox:
            return new QCheckBox(parent);
        case MainControl::ConvertButton:
        case MainControl::ClearButton:
        case MainControl::DestinationButton:
            return new QPushButton(parent);
        case MainControl::DestinationStrip:
            return new PathStrip(parent);
    }
    return nullptr;
}

void setCaption(QWidget* widget, const QString& caption) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(caption);
    else if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(caption);
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        frame->setTitle(caption);
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      ownFileSystem_(std::make_unique<PosixFileSystem>()),
      fileSystem_(ownFileSystem_.get()) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Tolvane"));
    // A box that no window of its own asked for is this window's, never
    // whichever window happens to be active.
    setMainWindowForMessages(this);
    setWindowIcon(programIcon());
    setFont(proportionalGothic(9.75));
    // A fixed border: minimize and close, no maximize, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    buildControls();
    buildMenus();
    connectHandlers();
    applyOuterHeight(kOuterHeightClosed);
    centreOnScreen(*this);
    driveList_->setFocus();

    requestRetry_ = new QTimer(this);
    requestRetry_->setSingleShot(true);
    requestRetry_->setInterval(kRequestRetryMs);
    connect(requestRetry_, &QTimer::timeout, this, &MainWindow::openRequestedFolderWhenFree);

    // Files dragged in from a file manager are the window's wherever they
    // land. A control that does not take a drag passes it on to the window
    // (the conversion list, also once it takes its own moves); the text boxes
    // would take the path that comes along as text, so the window takes
    // these drags from them first and leaves them every other drop.
    setAcceptDrops(true);
    for (QLineEdit* edit : {prefixEdit_, startNumberEdit_, suffixEdit_})
        edit->installEventFilter(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    std::map<MainControl, QWidget*> built;
    built[MainControl::Client] = new QWidget(this);
    built[MainControl::Client]->setObjectName(QStringLiteral("client"));
    setCentralWidget(built[MainControl::Client]);
    for (const ControlLayout& place : kMainWindowLayout) {
        QWidget* widget = newControl(place.control, built.at(place.parent));
        widget->setObjectName(QLatin1String(place.objectName));
        widget->setGeometry(twipsRect(place.left, place.top, place.width, place.height));
        widget->setFont(fontOf(place.font));
        const QString caption = QString::fromUtf16(place.caption);
        setCaption(widget, caption);
        widget->setAccessibleName(place.accessibleName ? QString::fromUtf16(place.accessibleName)
                                                       : caption);
        built[place.control] = widget;
    }
    for (size_t k = 0; k + 1 < std::size(kMainWindowTabOrder); ++k)
        setTabOrder(built.at(kMainWindowTabOrder[k]), built.at(kMainWindowTabOrder[k + 1]));

    const auto get = [&built](MainControl control) { return built.at(control); };
    driveList_ = static_cast<DriveList*>(get(MainControl::DriveList));
    folderList_ = static_cast<FolderList*>(get(MainControl::FolderList));
    conversionList_ = static_cast<NameList*>(get(MainControl::ConversionList));
    prefixEdit_ = static_cast<QLineEdit*>(get(MainControl::PrefixEdit));
    startNumberEdit_ = static_cast<QLineEdit*>(get(MainControl::StartNumberEdit));
    suffixEdit_ = static_cast<QLineEdit*>(get(MainControl::SuffixEdit));
    moveToFolderBox_ = static_cast<QCheckBox*>(get(MainControl::MoveToFolderBox));
    ownNameBox_ = static_cast<QCheckBox*>(get(MainControl::OwnNameBox));
    convertButton_ = static_cast<QPushButton*>(get(MainControl::ConvertButton));
    clearButton_ = static_cast<QPushButton*>(get(MainControl::ClearButton));
    destinationButton_ = static_cast<QPushButton*>(get(MainControl::DestinationButton));
    destinationStrip_ = static_cast<PathStrip*>(get(MainControl::DestinationStrip));

    fileList_ = new FileList(this);
    fileList_->setObjectName(QStringLiteral("fileList"));
    // Both lists stand on the process's current folder when the window is made.
    fileList_->setPath(folderList_->path());

    static_cast<QLabel*>(get(MainControl::PrefixLabel))->setBuddy(prefixEdit_);
    static_cast<QLabel*>(get(MainControl::StartNumberLabel))->setBuddy(startNumberEdit_);
    static_cast<QLabel*>(get(MainControl::SuffixLabel))->setBuddy(suffixEdit_);
    prefixEdit_->setMaxLength(100);
    suffixEdit_->setMaxLength(100);
    startNumberEdit_->setMaxLength(5);
    startNumberEdit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The name boxes refuse the forbidden characters as they are typed, with
    // a warning; the start number takes digits only, silently.
    nameRefusal_ = new RefusalWarning(nameRefusalMessage(), this);
    for (QLineEdit* edit : {prefixEdit_, suffixEdit_})
        new TypedCharacterFilter(edit, isForbiddenCharacter, nameRefusal_);
    auto* startNumberFilter = new HalfWidthValidator(isStartNumberCharacter, startNumberEdit_);
    // A screen reader has already echoed the refused key: it must hear that
    // the box did not take it.
    startNumberFilter->setOnRefused(
        [this] { announce(startNumberEdit_, QStringLiteral("数字のみ入力できます")); });
    startNumberEdit_->setValidator(startNumberFilter);

    const QFont frameTitle = fixedGothic(9, true);
    setFrameTitleLook(*static_cast<QGroupBox*>(get(MainControl::NameFrame)), frameTitle);
    setFrameTitleLook(*static_cast<QGroupBox*>(get(MainControl::OptionFrame)), frameTitle);

    // Enter on a focused button presses that button; elsewhere it presses
    // 変換, the window's default button. Outside a dialog Qt takes the default
    // state from an auto-default button whose focus leaves it, so 変換, which
    // keeps it for good, is not one (Enter on it still presses it).
    for (QPushButton* button : {convertButton_, clearButton_, destinationButton_}) {
        button->setAutoDefault(button != convertButton_);
        reportAsDefaultButton(button, button == convertButton_);
    }
    convertButton_->setDefault(true);
    destinationStrip_->setFocusPolicy(Qt::TabFocus);
    // The focus is back on 保存先 when the folder dialog closes: its
    // description has a screen reader say the new destination right then.
    connect(destinationStrip_, &PathStrip::pathChanged, destinationButton_,
            &QWidget::setAccessibleDescription);

    conversionList_->setReorderable(true);
    conversionList_->setTimeReader([this](const QByteArray& name) -> std::optional<ShootingTime> {
        // A tooltip before the whole list was read. Never while a worker
        // reads: the metadata library is used from one thread at a time.
        if (running_)
            return std::nullopt;
        return ShootingTimeService::current().read(toNative(fileList_->path()) + '/' + name);
    });
}

void MainWindow::buildMenus() {
    QMenu* settings = menuBar()->addMenu(QStringLiteral("設定"));
    connect(settings->addAction(QStringLiteral("拡張子...")), &QAction::triggered, this,
            &MainWindow::editExtensions);
    settings->addSeparator();
    // Ctrl+Z in a text box still undoes the typing there: the box takes the
    // key before the window's shortcut does.
    undoAction_ = settings->addAction(QStringLiteral("変換を元に戻す"));
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undoAction_, &QAction::triggered, this, &MainWindow::undoLastBatch);
    updateUndoAction();
    QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    connect(help->addAction(QStringLiteral("使い方...")), &QAction::triggered, this,
            [this] { openUsageDocument(this); });
    connect(help->addAction(QStringLiteral("ホームページ...")), &QAction::triggered, this,
            [this] { openHomePage(this); });
    connect(help->addAction(QStringLiteral("バージョン情報...")), &QAction::triggered, this,
            [this] { showVersion(this); });

    // The conversion list's context menu; never on the menu bar.
    listMenu_ = new QMenu(QStringLiteral("設定"), this);
    listMenu_->setObjectName(QStringLiteral("listMenu"));
    connect(listMenu_->addAction(QStringLiteral("リストから削除")), &QAction::triggered,
            conversionList_, &NameList::removeSelectedRows);
    listMenu_->addSeparator();
    connect(listMenu_->addAction(QStringLiteral("撮影日時順に並べる")), &QAction::triggered, this,
            &MainWindow::sortByShootingTime);
    connect(listMenu_->addAction(QStringLiteral("名前順に並べる")), &QAction::triggered, this,
            &MainWindow::sortByName);
}

void MainWindow::connectHandlers() {
    connect(driveList_, &DriveList::changed, this, &MainWindow::onDriveChanged);
    connect(folderList_, &FolderList::changed, this, &MainWindow::onFolderChanged);
    connect(fileList_, &FileList::pathChanged, this, &MainWindow::reloadConversionList);
    connect(fileList_, &FileList::patternChanged, this, &MainWindow::reloadConversionList);
    connect(conversionList_, &NameList::rightButtonPressed, listMenu_,
            [this](const QPoint& at) { listMenu_->popup(at); });
    // Delete on the keyboard does what the context menu's item does.
    connect(conversionList_, &NameList::deleteKeyPressed, conversionList_,
            &NameList::removeSelectedRows);
    connect(clearButton_, &QPushButton::clicked, this, &MainWindow::clearAll);
    connect(moveToFolderBox_, &QCheckBox::toggled, this, &MainWindow::onMoveToFolderToggled);
    connect(ownNameBox_, &QCheckBox::toggled, this, &MainWindow::onOwnNameToggled);
    connect(convertButton_, &QPushButton::clicked, this, &MainWindow::convert);
    connect(destinationButton_, &QPushButton::clicked, this, &MainWindow::chooseDestination);
}

// ---- the window's height --------------------------------------------------

void MainWindow::applyOuterHeight(int twips) {
    outerHeight_ = twips;
    // The frame around the client area stays as it is; the client area takes
    // the whole change of the outer height.
    const int clientHeight = kClientHeight + (outerHeight_ - kOuterHeightClosed);
    const QSize client = twipsSize(kClientWidth, clientHeight);
    centralWidget()->setFixedSize(client);
    setFixedSize(client.width(), client.height() + menuBar()->sizeHint().height());
    // What lies below the client area is out of sight, and out of reach of
    // the keyboard and of screen readers.
    const bool rowInView = outerHeight_ == kOuterHeightOpen;
    destinationButton_->setVisible(rowInView);
    destinationStrip_->setVisible(rowInView);
}

// ---- browsing and the conversion list -------------------------------------

void MainWindow::reloadConversionList() {
    conversionList_->clearNames();
    fileList_->refresh();
    if (fileList_->lastError() != 0 && !fileList_->path().isEmpty() &&
        folderList_->path() == fileList_->path()) {
        // The folder went away or cannot be read any more: never show a stale
        // list, show the nearest folder that is still there. That is a folder
        // change, which comes back here with the new folder.
        const QString gone = folderList_->path();
        folderList_->openNearestExisting(gone);
        if (folderList_->path() != gone)
            return;
    }
    conversionList_->setHiddenKeepingFocus(true);
    std::vector<QByteArray> names;
    std::vector<quint64> inodes;
    names.reserve(fileList_->files().size());
    inodes.reserve(fileList_->files().size());
    for (const ListedFile& file : fileList_->files()) {
        names.push_back(file.name);
        inodes.push_back(file.inode);
    }
    conversionList_->setNames(std::move(names), std::move(inodes));
    conversionList_->setHiddenKeepingFocus(false);
}

void MainWindow::onDriveChanged() {
    followDrive(*driveList_, *folderList_);
}

void MainWindow::onFolderChanged() {
    fileList_->setPath(folderList_->path());
    if (!moveToFolderBox_->isChecked())
        destinationStrip_->setPath(folderList_->path());
    destinationStrip_->checkScrolling();
}

void MainWindow::clearAll() {
    folderList_->refresh();
    ownNameBox_->setChecked(false);
    suffixEdit_->clear();
    moveToFolderBox_->setChecked(false);
    prefixEdit_->clear();
    startNumberEdit_->setText(QStringLiteral("1"));
    reloadConversionList();
}

void MainWindow::sortByShootingTime() {
    if (running_ || conversionList_->count() == 0)
        return;
    // The library's set-up is not thread-safe: it is done here, before the
    // worker starts.
    initializePhotoMetadata();
    const std::vector<QByteArray> names = conversionList_->natives();
    std::vector<std::optional<ShootingTime>> times = conversionList_->times();
    const QByteArray folder = toNative(fileList_->path()) + '/';
    bool stopped = false;
    runLongWork(
        QStringLiteral("撮影日時の読み取り"), int(names.size()),
        [&names](int done) { return displayName(names[size_t(done)]); },
        [&](TaskProgress& progress) {
            for (size_t k = 0; k < names.size() && !progress.shouldStop(); ++k) {
                if (!times[k])
                    times[k] = ShootingTimeService::current().read(folder + names[k]);
                progress.setDone(int(k + 1));
            }
            // 中止 keeps the list as it was, even when it came with the last file.
            stopped = progress.shouldStop();
        });
    if (!stopped) {
        std::vector<ListedFile> files(names.size());
        for (size_t k = 0; k < names.size(); ++k)
            files[k] = {names[k], 0, times[k].value_or(ShootingTime())};
        conversionList_->setTimes(std::move(times));
        conversionList_->reorder(timeOrder(files));
    }
    if (closeAfterWork_)
        close();
}

void MainWindow::sortByName() {
    conversionList_->reorder(naturalOrder(conversionList_->natives()));
}

void MainWindow::onMoveToFolderToggled(bool checked) {
    applyOuterHeight(checked ? kOuterHeightOpen : kOuterHeightClosed);
}

void MainWindow::onOwnNameToggled(bool checked) {
    // The own name takes the place of the prefix and suffix.
    for (QLineEdit* edit : {prefixEdit_, suffixEdit_}) {
        if (checked)
            edit->clear();
        edit->setEnabled(!checked);
    }
}

// ---- the rename command ---------------------------------------------------

namespace {

// The command as a person meets it: boxes to read and answer.
class WindowRenameHost : public RenameCommandHost {
public:
    using RunLongWork = std::function<void(int total, std::function<QString(int)> itemInHand,
                                           std::function<void(TaskProgress&)> work)>;

    WindowRenameHost(QWidget* window, QLineEdit* prefix, QLineEdit* suffix, RunLongWork runLongWork)
        : window_(window), prefix_(prefix), suffix_(suffix), runLongWork_(std::move(runLongWork)) {}

    void refuse(const Refusal& refusal) override {
        // The whole box is emptied, not just the offending characters, so
        // the user types the text again knowing what was wrong with it.
        if (refusal.emptiedBox)
            (*refusal.emptiedBox == NameBox::Prefix ? prefix_ : suffix_)->clear();
        showMessage(window_, refusal.message);
    }
    bool confirm(const Message& question, const RenamePlan& plan) override {
        Message withPreview = question;
        withPreview.details = [&plan] { return previewText(plan); };
        return showMessage(window_, withPreview) == Answer::Ok;
    }
    RenameOutcome run(const RenamePlan& plan, FileSystem& fs) override {
        RenameOutcome outcome;
        runLongWork_(
            plan.count(), [&plan](int done) { return displayName(plan.entry(done).toByteArray()); },
            [&](TaskProgress& progress) {
                outcome = renameAll(plan, fs, &progress, journalPath());
            });
        return outcome;
    }
    QString journalPath() const override { return undoJournalPath(); }
    void report(const Message& stop) override {
        // Stopped because the window is closing: no box to wait for an answer
        // (the session may be ending); the journal keeps the undo.
        if (!window_->property("closing").toBool())
            showMessage(window_, stop);
    }

private:
    QWidget* window_;
    QLineEdit* prefix_;
    QLineEdit* suffix_;
    RunLongWork runLongWork_;
};

}  // namespace

RenameRequest MainWindow::currentRequest() const {
    RenameRequest request;
    request.folder = folderList_->path();
    request.destination = destination();
    request.moveToDestination = moveToFolderBox_->isChecked();
    request.ownName = ownNameBox_->isChecked();
    request.prefix = prefixEdit_->text();
    request.suffix = suffixEdit_->text();
    request.startNumber = startNumberEdit_->text();
    // The listing's inode numbers, for the undo: they cost the run nothing.
    // A number the file system gives again to a file made after the batch
    // began does not fool the undo, which asks each file when it was made.
    const std::vector<QByteArray>& names = conversionList_->natives();
    const std::vector<quint64>& inodes = conversionList_->inodes();
    request.files.resize(names.size());
    for (size_t k = 0; k < names.size(); ++k)
        request.files[k] = {names[k], k < inodes.size() ? inodes[k] : 0, {}};
    return request;
}

void MainWindow::convert() {
    // A character just refused by the box (an input method commits its text
    // when the click takes the focus) is warned of first; the user then
    // presses 変換 again knowing what the box holds.
    if (nameRefusal_->isPending())
        return;
    WindowRenameHost host(this, prefixEdit_, suffixEdit_,
                          [this](int total, std::function<QString(int)> itemInHand,
                                 std::function<void(TaskProgress&)> work) {
                              runLongWork(QStringLiteral("ファイル名変更"), total,
                                          std::move(itemInHand), std::move(work));
                          });
    inCommand_ = true;
    if (runRenameCommand(currentRequest(), *fileSystem_, host)) {
        reloadConversionList();  // the folder as it now is
        updateUndoAction();
    }
    inCommand_ = false;
    if (closeAfterWork_)
        close();
    else
        openRequestedFolderWhenFree();
}

void MainWindow::undoLastBatch() {
    const QString journal = undoJournalPath();
    const std::optional<BatchRecord> record = readJournal(journal);
    if (!record) {
        updateUndoAction();
        return;
    }
    const QScopedValueRollback<bool> inCommand(inCommand_, true);
    if (showMessage(this, undoQuestion()) != Answer::Ok)
        return;
    UndoOutcome outcome;
    const int total = int(record->entries.size());
    runLongWork(
        QStringLiteral("元に戻す"), total,
        [&record, total](int done) {
            return displayName(record->entries[size_t(total - 1 - done)].newName);
        },
        [&](TaskProgress& progress) { outcome = undoBatch(*record, *fileSystem_, &progress); });
    // What could not go back stays in the journal, for another undo once its
    // names are free.
    rewriteJournal(journal, remainingAfter(*record, outcome));
    const std::optional<Message> report = undoReport(*record, outcome);
    if (report && !closeAfterWork_)
        showMessage(this, *report);
    reloadConversionList();
    updateUndoAction();
    if (closeAfterWork_)
        close();
    else
        openRequestedFolderWhenFree();
}

void MainWindow::updateUndoAction() {
    undoAction_->setEnabled(readJournal(undoJournalPath()).has_value());
}

void MainWindow::runLongWork(const QString& title, int total,
                             std::function<QString(int)> itemInHand,
                             std::function<void(TaskProgress&)> work) {
    TaskProgress progress;
    running_ = &progress;
    runInBackground(this, BackgroundWork{title, total, std::move(itemInHand), std::move(work)},
                    progress);
    running_ = nullptr;
}

void MainWindow::setFileSystem(FileSystem* fileSystem) {
    fileSystem_ = fileSystem ? fileSystem : ownFileSystem_.get();
}

// ---- the dialogs ----------------------------------------------------------

void MainWindow::editExtensions() {
    ExtensionListDialog::openFromMenu(this, *fileList_);
}

void MainWindow::chooseDestination() {
    if (const std::optional<QString> folder =
            DestinationFolderDialog::choose(this, destination())) {
        destinationStrip_->setPath(*folder);
        destinationStrip_->checkScrolling();
    }
}

QString MainWindow::destination() const {
    return destinationStrip_->path();
}

// ---- start-up and shutdown ------------------------------------------------

QString MainWindow::openFolderPath() const {
    return folderList_->path();
}

FolderAccess MainWindow::openFolder(const QString& folder) {
    return folderList_->setPath(folder);
}

FolderAccess MainWindow::selectDriveOf(const QString& folder) {
    const QString drive = volumeOf(folder, VolumeSource::current().volumes());
    if (drive.isEmpty() || !driveList_->setDrive(drive))
        return FolderAccess::NotReady;
    return FolderAccess::Opened;
}

void MainWindow::setDestination(const QString& folder) {
    destinationStrip_->setPath(folder);
}

void MainWindow::setExtensionPatterns(const QString& patterns) {
    fileList_->setPattern(patterns);
}

bool MainWindow::askForExtensions() {
    return ExtensionListDialog::openForFirstRun(this, *fileList_);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // Never in the middle of a batch: it stops after the file in hand,
        // reports as any stop does, and then the window closes.
        running_->stopRequested.store(true);
        closeAfterWork_ = true;
        setProperty("closing", true);
        event->ignore();
        return;
    }
    shutDown(*this);
    event->accept();
}

// ---- folders from outside -------------------------------------------------

namespace {

// The window (and a dialog or question open over it, which is what the user
// has to answer first) to the front. activateWindow goes through
// QWindow::requestActivate: on X11 a _NET_ACTIVE_WINDOW request, on Wayland
// an activation request, either of which the window manager may refuse to a
// program the user is not working in. Where it does, the taskbar entry at
// least asks for attention.
void bringToFront(QWidget& window) {
    QWidget* front = nullptr;
    if (window.isVisible()) {
        if (window.isMinimized())
            window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
        window.raise();
        window.activateWindow();
        front = &window;
    }
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
        front = modal;
    }
    if (!front)
        return;  // still starting up: the window comes up in front of its own accord
    QTimer::singleShot(kActivationGraceMs, front, [front] {
        if (!QApplication::activeWindow())
            QApplication::alert(front);
    });
}

// The path that a drag from another program carries: its first URL, when
// that names a file on this computer. The bytes are taken as the URL encodes
// them, so a name that is not UTF-8 arrives unchanged (QUrl::toLocalFile
// would decode it as UTF-8 and lose it).
std::optional<QString> droppedLocalPath(const QDropEvent& event) {
    // A drag that started in this program is a control's own (the conversion
    // list's moves), never a folder to open.
    if (event.source() != nullptr)
        return std::nullopt;
    const QMimeData* data = event.mimeData();
    const QList<QUrl> urls = data != nullptr ? data->urls() : QList<QUrl>();
    if (urls.isEmpty())
        return std::nullopt;
    const QUrl& url = urls.constFirst();
    if (url.scheme() != u"file" || !(url.host().isEmpty() || url.host() == u"localhost"))
        return std::nullopt;
    const QByteArray path =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!path.startsWith('/'))
        return std::nullopt;
    return fromNative(path);
}

// Accepts a drag of a local path as a copy or a link, never as a move: a
// file manager takes a move as leave to remove what was dragged.
bool acceptLocalDrag(QDropEvent& event) {
    const Qt::DropActions offered = event.possibleActions();
    const Qt::DropAction action = offered.testFlag(Qt::CopyAction)   ? Qt::CopyAction
                                  : offered.testFlag(Qt::LinkAction) ? Qt::LinkAction
                                                                     : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction || !droppedLocalPath(event)) {
        event.ignore();
        return false;
    }
    event.setDropAction(action);
    event.accept();
    return true;
}

}  // namespace

void MainWindow::openFromOutside(const QString& path) {
    bringToFront(*this);
    requestFolder(path);
}

void MainWindow::requestFolder(const QString& path) {
    // Only the latest request waits: someone who asks for two folders in a
    // row means to end up in the second.
    requestedFolder_ = path;
    openRequestedFolderWhenFree();
}

void MainWindow::openRequestedFolderWhenFree() {
    if (requestedFolder_.isEmpty())
        return;
    if (isBusy()) {
        requestRetry_->start();
        return;
    }
    // A folder that cannot be opened leaves the window where it is, without
    // a message: the request came from elsewhere, and nobody waits for it.
    openRequestedFolder(*this, std::exchange(requestedFolder_, QString()));
}

bool MainWindow::isBusy() const {
    // The folder waits rather than opening under a dialog or a question:
    // they are about the folder on show (a rename's confirmation names the
    // files listed now, the extension dialog fills this folder's list), and a
    // new folder underneath would change what the user is answering. It
    // opens once they are over, which keeps the user's request; merely
    // coming to the front would drop it. Before the window first shows,
    // start-up is still choosing the folder.
    return !isVisible() || inCommand_ || QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    acceptLocalDrag(*event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    acceptLocalDrag(*event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!acceptLocalDrag(*event))
        return;
    if (const std::optional<QString> path = droppedLocalPath(*event))
        requestFolder(*path);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (droppedLocalPath(*drag)) {
            if (type == QEvent::Drop)
                dropEvent(drag);
            else
                acceptLocalDrag(*drag);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- keyboard -------------------------------------------------------------

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter reaches here from every control that does not use it itself (a
    // focused button presses itself, the folder list opens a folder).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (convertButton_->isEnabled())
            convertButton_->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
