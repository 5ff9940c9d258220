#include "ui/windows/MainWindow.h"

#include "core/files/CameraClocks.h"
#include "core/files/FileList.h"
#include "core/rename/BatchHistory.h"
#include "core/rename/FileSystem.h"
#include "core/rename/NameChecks.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/RenameTexts.h"
#include "core/rename/Undo.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
#include "ui/controls/ConversionList.h"
#include "ui/controls/DateFieldMenu.h"
#include "ui/controls/DriveChange.h"
#include "ui/controls/DriveList.h"
#include "ui/controls/FolderList.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/PathStrip.h"
#include "ui/controls/TextFilters.h"
#include "ui/controls/Twips.h"
#include "ui/services/Accessibility.h"
#include "ui/services/MessageBoxes.h"
#include "ui/services/ProgramIcon.h"
#include "ui/services/ShootingTimes.h"
#include "ui/windows/CameraClockDialog.h"
#include "ui/windows/DestinationFolderDialog.h"
#include "ui/windows/ExtensionListDialog.h"
#include "ui/windows/HelpCommands.h"
#include "ui/windows/LongCommand.h"
#include "ui/windows/MainWindowLayout.h"
#include "ui/windows/MainWindowTexts.h"
#include "ui/windows/WindowRenameHost.h"
#include "ui/windows/WindowStyle.h"

#include <QAccessible>
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
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace {

// How long the window manager has to hand the window the focus before the
// window asks for attention instead.
constexpr int kActivationGraceMs = 500;

// Alt pressed and let go on its own puts the menu bar in keyboard mode, and
// the next such Alt takes it out again. While a screen reader listens, Qt's
// accessibility bridge holds every key back until the reader has seen it and
// then delivers it to the window once more, not spontaneously: when the real
// release had come first, that second Alt switched the mode back off, and the
// next Down moved in the conversion list instead of opening 設定. The menu
// bar has had the real key; the copy is dropped.
class RepeatedAltFilter : public QObject {
public:
    explicit RepeatedAltFilter(QWidget& window) : QObject(&window), window_(window) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        return (type == QEvent::KeyPress || type == QEvent::KeyRelease) && !event->spontaneous() &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Alt &&
               watched == window_.windowHandle() && QAccessible::isActive();
    }

private:
    QWidget& window_;
};

QWidget* newControl(MainControl control, QWidget* parent) {
    switch (control) {
        case MainControl::Client:
            break;
        case MainControl::DriveList:
            return new DriveList(parent);
        case MainControl::FolderList:
            return new FolderList(parent);
        case MainControl::ConversionList:
            return new ConversionList(parent);
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

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      ownFileSystem_(std::make_unique<PosixFileSystem>()),
      fileSystem_(ownFileSystem_.get()),
      commands_(
          new LongCommands(*this, [this](const QString& path) { openHandedOverFolder(path); })) {
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
    new RepeatedAltFilter(*this);
    connectHandlers();
    applyOuterHeight(kOuterHeightClosed);
    centreOnScreen(*this);
    driveList_->setFocus();

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
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    const std::map<MainControl, QWidget*> built =
        buildFromLayout(client, MainControl::Client, kMainWindowLayout, newControl);
    setLayoutTabOrder(built, kMainWindowTabOrder);

    const auto get = [&built](MainControl control) { return built.at(control); };
    driveList_ = static_cast<DriveList*>(get(MainControl::DriveList));
    folderList_ = static_cast<FolderList*>(get(MainControl::FolderList));
    conversionList_ = static_cast<ConversionList*>(get(MainControl::ConversionList));
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
    // Their menus insert the shooting-time fields, whose "<" and ">" no
    // typed key brings.
    for (QLineEdit* edit : {prefixEdit_, suffixEdit_}) {
        new TypedCharacterFilter(edit, isForbiddenCharacter, nameRefusal_);
        new DateFieldMenu(edit);
    }
    auto* startNumberFilter = new HalfWidthValidator(isStartNumberCharacter, startNumberEdit_);
    // A screen reader has already echoed the refused key: it must hear that
    // the box did not take it.
    startNumberFilter->setOnRefused(
        [this] { announce(startNumberEdit_, kDigitsOnlyAnnouncement); });
    startNumberEdit_->setValidator(startNumberFilter);

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
    conversionList_->setTimeReader([this](const QByteArray& name) {
        // A tooltip before the whole list was read. Never while a worker
        // may read: the metadata library is used from one thread at a time.
        if (commands_->isRunning())
            return ShootingTime{};
        ShootingTime time =
            ShootingTimeService::current().read(toNative(fileList_->path()) + '/' + name);
        time.clockOffsetMsecs = StoredClockOffsets::read().msecsFor(time.camera);
        return time;
    });
}

void MainWindow::buildMenus() {
    QMenu* settings = menuBar()->addMenu(kSettingsMenuTitle);
    connect(settings->addAction(kExtensionsItem), &QAction::triggered, this,
            &MainWindow::editExtensions);
    // Off unless the user turned it on: renumbering a series in place moves
    // files in an order other than the list's, through spare names.
    nameOverlapsAction_ = settings->addAction(kNameOverlapsItem);
    nameOverlapsAction_->setCheckable(true);
    nameOverlapsAction_->setChecked(readSwitch(Setting::NameOverlaps));
    connect(nameOverlapsAction_, &QAction::toggled, this,
            [](bool on) { writeSwitch(Setting::NameOverlaps, on); });
    // Off unless the user turned it on: a list of shots is read differently
    // (the sidecars too, the times of files that share a name).
    shotsTogetherAction_ = settings->addAction(kShotsTogetherItem);
    shotsTogetherAction_->setCheckable(true);
    shotsTogetherAction_->setChecked(readSwitch(Setting::ShotsTogether));
    fileList_->setReadsSidecars(shotsTogetherAction_->isChecked());
    connect(shotsTogetherAction_, &QAction::toggled, this, &MainWindow::onShotsTogetherToggled);
    restartEachDayAction_ = settings->addAction(kRestartEachDayItem);
    restartEachDayAction_->setCheckable(true);
    restartEachDayAction_->setChecked(readSwitch(Setting::RestartSerialsEachDay));
    connect(restartEachDayAction_, &QAction::toggled, this,
            [](bool on) { writeSwitch(Setting::RestartSerialsEachDay, on); });
    settings->addSeparator();
    // Ctrl+Z in a text box still undoes the typing there: the box takes the
    // key before the window's shortcut does.
    undoAction_ = settings->addAction(kUndoItem);
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undoAction_, &QAction::triggered, this, &MainWindow::undoLastBatch);
    updateUndoAction();
    QMenu* help = menuBar()->addMenu(kHelpMenuTitle);
    connect(help->addAction(kUsageItem), &QAction::triggered, this,
            [this] { openUsageDocument(this); });
    connect(help->addAction(kHomePageItem), &QAction::triggered, this,
            [this] { openHomePage(this); });
    connect(help->addAction(kVersionItem), &QAction::triggered, this,
            [this] { showVersion(this); });
    // F10 opens the first menu from every control, as on the desktop. An
    // input method that is composing in a text box takes the key first.
    auto* menuKey = new QAction(this);
    menuKey->setShortcut(QKeySequence(Qt::Key_F10));
    addAction(menuKey);
    connect(menuKey, &QAction::triggered, this,
            [this, settings] { menuBar()->setActiveAction(settings->menuAction()); });

    // The conversion list's context menu; never on the menu bar.
    listMenu_ = new QMenu(kSettingsMenuTitle, this);
    listMenu_->setObjectName(QStringLiteral("listMenu"));
    QAction* removeAction = listMenu_->addAction(kRemoveFromListItem);
    connect(removeAction, &QAction::triggered, conversionList_,
            &ConversionList::removeSelectedRows);
    // Opened on the empty space below the entries, or on an empty list, the
    // menu has nothing to remove.
    connect(listMenu_, &QMenu::aboutToShow, removeAction, [this, removeAction] {
        removeAction->setEnabled(conversionList_->selectionModel()->hasSelection());
    });
    listMenu_->addSeparator();
    connect(listMenu_->addAction(kOrderByTimeItem), &QAction::triggered, this,
            &MainWindow::sortByShootingTime);
    connect(listMenu_->addAction(kOrderByNameItem), &QAction::triggered, this,
            &MainWindow::sortByName);
    listMenu_->addSeparator();
    connect(listMenu_->addAction(kCorrectClocksItem), &QAction::triggered, this,
            &MainWindow::correctCameraClocks);
}

void MainWindow::connectHandlers() {
    connect(driveList_, &DriveList::changed, this, &MainWindow::onDriveChanged);
    connect(folderList_, &FolderList::changed, this, &MainWindow::onFolderChanged);
    // A batch changes the open folder tens of thousands of times, and each
    // change woke the window's thread; the window reads the folder again
    // after every command anyway.
    connect(commands_, &LongCommands::runningChanged, folderList_,
            [this](bool running) { folderList_->setWatching(!running); });
    connect(fileList_, &FileList::pathChanged, this, &MainWindow::reloadConversionList);
    connect(fileList_, &FileList::patternChanged, this, &MainWindow::reloadConversionList);
    conversionList_->setContextMenu(listMenu_);
    // Delete on the keyboard does what the context menu's item does.
    connect(conversionList_, &ConversionList::deleteKeyPressed, conversionList_,
            &ConversionList::removeSelectedRows);
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
    conversionList_->clearFiles();
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
    conversionList_->setShots(listedShots());
    conversionList_->setHiddenKeepingFocus(false);
}

std::vector<Shot> MainWindow::listedShots() const {
    if (!shotsTogetherAction_->isChecked())
        return oneShotEach(fileList_->files());
    // Two cameras may write one name: the times tell them apart, and are read
    // here, on the window's thread, for the files that share a name only. The
    // metadata library is used from one thread at a time: while a worker
    // reads (a folder that vanished under a sort), the files of one name stay
    // together untold.
    const QByteArray folder = toNative(fileList_->path()) + '/';
    std::optional<StoredClockOffsets> offsets;
    return formShots(fileList_->files(), fileList_->sidecars(), [&](const QByteArray& name) {
        if (commands_->isWorking())
            return ShootingTime{};
        ShootingTime time = ShootingTimeService::current().read(folder + name);
        if (!offsets)
            offsets = StoredClockOffsets::read();
        time.clockOffsetMsecs = offsets->msecsFor(time.camera);
        return time;
    });
}

void MainWindow::onShotsTogetherToggled(bool on) {
    writeSwitch(Setting::ShotsTogether, on);
    fileList_->setReadsSidecars(on);
    // The rows are made anew: files of one name join or part.
    reloadConversionList();
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

bool MainWindow::readMissingTimes(LongCommand& command, std::vector<Shot>& shots) {
    if (std::all_of(shots.begin(), shots.end(), [](const Shot& shot) {
            return std::all_of(shot.members.begin(), shot.members.end(),
                               [](const ListedFile& file) { return file.time.isKnown(); });
        }))
        return true;
    // The library's set-up is not thread-safe: it is done here, before the
    // worker starts. So is the settings file's read.
    initializePhotoMetadata();
    const QByteArray folder = toNative(fileList_->path()) + '/';
    const StoredClockOffsets offsets = StoredClockOffsets::read();
    int driveError = 0;
    command.runInBackground(
        kReadTimesTitle, int(shots.size()),
        [&shots](int done) { return displayName(shots[size_t(done)].first().name); },
        [&](TaskProgress& progress) {
            driveError = readShootingTimes(shots, folder, offsets, progress);
        });
    // The drive went away or failed: whatever the list shows of it may be
    // gone, so it is read again (empty if the folder is gone), and the user
    // is told why the command did not go on.
    if (driveError != 0) {
        if (!command.windowClosing())
            showMessage(this, sortFailedMessage(fileList_->path(), driveError));
        reloadConversionList();
        return false;
    }
    // 中止 counts even when it came with the last file.
    return !command.stopRequested();
}

std::optional<std::vector<Shot>> MainWindow::readListedTimes(LongCommand& command) {
    std::vector<Shot> shots = conversionList_->shots();
    if (!readMissingTimes(command, shots))
        return std::nullopt;  // the list stays as it was
    return shots;
}

void MainWindow::sortByShootingTime() {
    if (conversionList_->count() == 0)
        return;
    commands_->run([this](LongCommand& command) {
        const quint64 listed = conversionList_->generation();
        if (std::optional<std::vector<Shot>> shots = readListedTimes(command))
            conversionList_->orderByTime(listed, std::move(*shots));
    });
}

void MainWindow::correctCameraClocks() {
    if (conversionList_->count() == 0)
        return;
    commands_->run([this](LongCommand& command) {
        const quint64 listed = conversionList_->generation();
        std::optional<std::vector<Shot>> shots = readListedTimes(command);
        if (!shots || !conversionList_->setTimes(listed, std::move(*shots)))
            return;
        std::vector<ClockGroup> groups = clockGroups(conversionList_->shots());
        if (groups.empty() || !CameraClockDialog::ask(this, groups))
            return;
        std::vector<std::pair<Camera, qint64>> kept;
        kept.reserve(groups.size());
        for (const ClockGroup& group : groups)
            kept.emplace_back(group.camera, group.offsetMsecs);
        // The offsets apply now whether or not they could be kept: the
        // program never reports that the settings file cannot be written.
        storeClockOffsets(kept);
        std::vector<Shot> corrected = conversionList_->shots();
        applyClockOffsets(corrected, groups);
        conversionList_->setTimes(conversionList_->generation(), std::move(corrected));
    });
}

void MainWindow::sortByName() {
    conversionList_->orderByName();
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

RenameRequest MainWindow::currentRequest() const {
    RenameRequest request;
    request.folder = folderList_->path();
    request.destination = destination();
    request.moveToDestination = moveToFolderBox_->isChecked();
    request.ownName = ownNameBox_->isChecked();
    request.prefix = prefixEdit_->text();
    request.suffix = suffixEdit_->text();
    request.startNumber = startNumberEdit_->text();
    request.allowNameOverlaps = nameOverlapsAction_->isChecked();
    request.shotsTogether = shotsTogetherAction_->isChecked();
    request.restartSerialsEachDay = restartEachDayAction_->isChecked();
    // With each name the listing's inode number, for the undo: it costs the
    // run nothing. A number the file system gives again to a file made after
    // the batch began does not fool the undo, which asks each file when it
    // was made.
    request.shots = conversionList_->shots();
    return request;
}

void MainWindow::convert() {
    // A character just refused by the box (an input method commits its text
    // when the click takes the focus) is warned of first; the user then
    // presses 変換 again knowing what the box holds.
    if (nameRefusal_->isPending())
        return;
    commands_->run([this](LongCommand& command) {
        // Times read for the names stay with the list, for its tooltips and
        // for a second 変換 after キャンセル.
        const auto readTimes = [this, &command](std::vector<Shot>& shots) {
            const quint64 listed = conversionList_->generation();
            if (!readMissingTimes(command, shots))
                return false;
            conversionList_->setTimes(listed, shots);
            return true;
        };
        WindowRenameHost host(*this, command, *prefixEdit_, *suffixEdit_, readTimes);
        if (runRenameCommand(currentRequest(), *fileSystem_, host)) {
            reloadConversionList();  // the folder as it now is
            updateUndoAction();
        }
    });
}

void MainWindow::undoLastBatch() {
    const std::optional<StoredBatch> batch = BatchHistory::standard().newest();
    if (!batch) {
        updateUndoAction();
        return;
    }
    commands_->run([&](LongCommand& command) {
        const BatchRecord& record = batch->record;
        if (showMessage(this, undoQuestion(record)) != Answer::Ok)
            return;
        UndoOutcome outcome;
        const std::vector<int> order = entriesToBringBack(record);
        command.runInBackground(
            kUndoTitle, int(order.size()),
            [&record, &order](int done) {
                return displayName(record.entries[size_t(order[size_t(done)])].newName);
            },
            [&](TaskProgress& progress) { outcome = undoBatch(record, *fileSystem_, &progress); });
        // What did not go back stays in the journal, for another undo once
        // its names are free or the undo is taken up again.
        rewriteJournal(batch->path, remainingAfter(record, outcome));
        if (!command.windowClosing()) {
            if (const std::optional<Message> stop = undoStopMessage(record, outcome))
                showMessage(this, *stop);
            if (const std::optional<Message> report = undoReport(record, outcome))
                showMessage(this, *report);
        }
        reloadConversionList();
        updateUndoAction();
    });
}

void MainWindow::updateUndoAction() {
    undoAction_->setEnabled(BatchHistory::standard().newest().has_value());
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
    // Never in the middle of a command: its work stops after the item in
    // hand, and the window closes once the command is over.
    if (commands_->holdClose()) {
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
    commands_->requestFolder(path);
}

void MainWindow::openHandedOverFolder(const QString& path) {
    // A folder that cannot be opened leaves the window where it is, without
    // a message: the request came from elsewhere, and nobody waits for it.
    const QString before = folderList_->path();
    if (!openRequestedFolder(*this, path))
        return;
    // The folder already open: its files may have gone or come meanwhile, and
    // a list that still names a file that is gone would stop the next batch.
    if (folderList_->path() == before)
        reloadConversionList();
    // Nothing else tells a screen reader where the window now stands: the
    // focus stays where it was.
    folderList_->announceOpenFolder();
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
        commands_->requestFolder(*path);
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
