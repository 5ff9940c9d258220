#include "ui/windows/MainWindow.h"

#include "core/TaskProgress.h"
#include "core/files/FileList.h"
#include "core/rename/FileSystem.h"
#include "core/rename/NameChecks.h"
#include "core/rename/Preview.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/Undo.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
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
#include "ui/windows/BackgroundWork.h"
#include "ui/windows/DestinationFolderDialog.h"
#include "ui/windows/ExtensionListDialog.h"
#include "ui/windows/HelpCommands.h"
#include "ui/windows/MainWindowLayout.h"
#include "ui/windows/WindowStyle.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>

#include <map>

namespace {

QFont fontOf(const ControlFont& font) {
    return font.face == FontFace::Fixed ? fixedGothic(font.points, font.bold)
                                        : proportionalGothic(font.points, font.bold);
}

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
    startNumberEdit_->setValidator(
        new HalfWidthValidator(isStartNumberCharacter, startNumberEdit_));

    const QFont frameTitle = fixedGothic(9, true);
    setFrameTitleLook(*static_cast<QGroupBox*>(get(MainControl::NameFrame)), frameTitle);
    setFrameTitleLook(*static_cast<QGroupBox*>(get(MainControl::OptionFrame)), frameTitle);

    // Enter on a focused button presses that button; elsewhere it presses
    // 変換, the window's default button.
    for (QPushButton* button : {convertButton_, clearButton_, destinationButton_})
        button->setAutoDefault(true);
    convertButton_->setDefault(true);
    destinationStrip_->setFocusPolicy(Qt::TabFocus);
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
    conversionList_->setNames(fileList_->names());
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
    request.entries = conversionList_->natives();
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
    if (runRenameCommand(currentRequest(), *fileSystem_, host)) {
        reloadConversionList();  // the folder as it now is
        updateUndoAction();
    }
    if (closeAfterWork_)
        close();
}

void MainWindow::undoLastBatch() {
    const QString journal = undoJournalPath();
    const std::optional<BatchRecord> record = readJournal(journal);
    if (!record) {
        updateUndoAction();
        return;
    }
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
