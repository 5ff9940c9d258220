#include "ui/main/Tolvane.h"

#include "app/NativeName.h"
#include "rename/FileSystem.h"
#include "rename/NameCheck.h"
#include "rename/RenameCommand.h"
#include "rename/RenameEngine.h"
#include "ui/dialogs/frmSELECT.h"
#include "ui/dialogs/frmSETEI.h"
#include "ui/help/HelpMenu.h"
#include "ui/platform/DriveChange.h"
#include "ui/platform/DriveList.h"
#include "ui/platform/FileList.h"
#include "ui/platform/FolderList.h"
#include "ui/platform/Fonts.h"
#include "ui/platform/ForcedEnd.h"
#include "ui/platform/ListBox.h"
#include "ui/platform/MessageBox.h"
#include "ui/platform/ProgramIcon.h"
#include "ui/platform/Timer.h"
#include "ui/platform/Twips.h"
#include "ui/platform/TextFilters.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace {

// The client area below the menu bar when the destination row is out of sight.
constexpr int kClientWidth = 4710;
constexpr int kClientHeight = 3795;
constexpr int kOuterHeightClosed = 4400;
constexpr int kOuterHeightOpen = 4800;
// The destination strip: the label scrolls when it is wider than this.
constexpr int kStripWidth = 3615;
constexpr int kLabelHome = 45;
constexpr int kScrollStep = 30;

void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twipsRect(left, top, width, height));
}

// Frames give their titles a blue pen; the controls inside keep the ordinary one.
void keepPlainPalette(QWidget* w) {
    // Roles set one by one count as the widget's own; a copied palette would
    // still be inherited from the frame.
    const QPalette plain = QGuiApplication::palette();
    QPalette own = w->palette();
    own.setColor(QPalette::WindowText, plain.color(QPalette::WindowText));
    own.setColor(QPalette::Text, plain.color(QPalette::Text));
    w->setPalette(own);
}

}  // namespace

Tolvane::Tolvane(QWidget* parent)
    : QMainWindow(parent),
      ownFileSystem_(std::make_unique<PosixFileSystem>()),
      fileSystem_(ownFileSystem_.get()) {
    setObjectName(QStringLiteral("Tolvane"));
    setWindowTitle(QStringLiteral("Tolvane"));
    setWindowIcon(programIcon());
    setFont(proportionalGothic(9.75));
    // A fixed border: minimize and close, no maximize, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    buildControls();
    buildMenus();
    connectHandlers();
    applyClientHeight();

    // Centred on the screen at start.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    Drive->setFocus();
}

Tolvane::~Tolvane() = default;

void Tolvane::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    // Left column.
    Drive = new DriveList(client);
    Drive->setObjectName(QStringLiteral("Drive"));
    Drive->setFont(proportionalGothic(9));
    place(Drive, 120, 97, 2205, 300);
    Drive->setAccessibleName(QStringLiteral("ドライブ"));

    Folder = new FolderList(client);
    Folder->setObjectName(QStringLiteral("Folder"));
    Folder->setFont(proportionalGothic(9));
    place(Folder, 120, 472, 2205, 1140);
    Folder->setAccessibleName(QStringLiteral("フォルダー"));

    File = new FileList(this);
    File->setObjectName(QStringLiteral("File"));
    // Both lists stand on the process's current folder when the window is made.
    File->setPath(Folder->Path());

    List = new ListBox(client);
    List->setObjectName(QStringLiteral("List"));
    List->setSelectionKind(ListBox::Selection::Extended);
    place(List, 120, 1687, 2205, 2010);
    List->setAccessibleName(QStringLiteral("変換するファイル"));

    // File name settings.
    Name_Frame = new QGroupBox(QStringLiteral("ファイル名設定"), client);
    Name_Frame->setObjectName(QStringLiteral("Name_Frame"));
    place(Name_Frame, 2475, 90, 2130, 1860);

    Label2[0] = new QLabel(QStringLiteral("前："), Name_Frame);
    place(Label2[0], 135, 450, 420, 240);
    Text[0] = new QLineEdit(Name_Frame);
    place(Text[0], 495, 360, 1500, 375);
    Text[0]->setMaxLength(100);

    Label1 = new QLabel(QStringLiteral("開始番号："), Name_Frame);
    place(Label1, 45, 900, 1095, 330);
    Text[2] = new QLineEdit(QStringLiteral("1"), Name_Frame);
    place(Text[2], 1035, 825, 960, 375);
    Text[2]->setMaxLength(5);
    Text[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Label2[1] = new QLabel(QStringLiteral("後："), Name_Frame);
    place(Label2[1], 135, 1395, 420, 285);
    Text[1] = new QLineEdit(Name_Frame);
    place(Text[1], 495, 1305, 1500, 375);
    Text[1]->setMaxLength(100);

    const char* textNames[] = {"Text(0)", "Text(1)", "Text(2)"};
    QLabel* buddies[] = {Label2[0], Label2[1], Label1};
    for (int i = 0; i < 3; ++i) {
        Text[size_t(i)]->setObjectName(QLatin1String(textNames[i]));
        Text[size_t(i)]->setFont(fixedGothic(12));
        buddies[i]->setBuddy(Text[size_t(i)]);
        Text[size_t(i)]->setAccessibleName(buddies[i]->text());
    }
    // The name boxes refuse the forbidden characters as they are typed, with
    // a warning; the start number takes digits only, silently.
    auto* refusal = new RefusalWarning(nameRefusalMessage(), this);
    for (int i = 0; i < 2; ++i)
        new TypedCharacterFilter(
            Text[size_t(i)], [](QChar c) { return isForbiddenCharacter(c.unicode()); }, refusal);
    Text[2]->setValidator(new HalfWidthValidator(isStartNumberCharacter, Text[2]));
    Label2[0]->setObjectName(QStringLiteral("Label2(0)"));
    Label2[1]->setObjectName(QStringLiteral("Label2(1)"));
    Label1->setObjectName(QStringLiteral("Label1"));
    for (QLabel* label : {Label2[0], Label2[1], Label1})
        label->setFont(fixedGothic(9));

    // Option settings.
    Option_Frame = new QGroupBox(QStringLiteral("オプション設定"), client);
    Option_Frame->setObjectName(QStringLiteral("Option_Frame"));
    place(Option_Frame, 2475, 2070, 2130, 1005);
    CHECK[0] = new QCheckBox(QStringLiteral("保存先を変更する"), Option_Frame);
    CHECK[0]->setObjectName(QStringLiteral("CHECK(0)"));
    place(CHECK[0], 135, 270, 1860, 330);
    CHECK[1] = new QCheckBox(QStringLiteral("元ﾌｧｲﾙ名＋連番"), Option_Frame);
    CHECK[1]->setObjectName(QStringLiteral("CHECK(1)"));
    place(CHECK[1], 135, 585, 1905, 375);

    for (QGroupBox* frame : {Name_Frame, Option_Frame}) {
        frame->setFont(fixedGothic(9, true));
        QPalette blue = frame->palette();
        blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
        blue.setColor(QPalette::Text, QColor(0, 0, 255));
        frame->setPalette(blue);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{Label2[0], Label2[1], Label1, Text[0],
                                                      Text[1], Text[2], CHECK[0], CHECK[1]})
        keepPlainPalette(w);
    for (QCheckBox* box : CHECK)
        box->setFont(font());

    // Command buttons. Enter on a focused button presses that button.
    HENKAN = new QPushButton(QStringLiteral("変換"), client);
    HENKAN->setObjectName(QStringLiteral("HENKAN"));
    place(HENKAN, 2475, 3150, 1545, 555);
    HENKAN->setFont(fixedGothic(12, true));

    CLEAR = new QPushButton(QStringLiteral("clear"), client);
    CLEAR->setObjectName(QStringLiteral("CLEAR"));
    place(CLEAR, 4005, 3150, 600, 555);
    CLEAR->setFont(proportionalGothic(9));

    // The destination row, below the client area at start.
    HOZON = new QPushButton(QStringLiteral("保存先"), client);
    HOZON->setObjectName(QStringLiteral("HOZON"));
    place(HOZON, 120, 3825, 825, 285);
    HOZON->setFont(proportionalGothic(9));

    Picture = new QFrame(client);
    Picture->setObjectName(QStringLiteral("Picture"));
    Picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture->setLineWidth(1);
    Picture->setFocusPolicy(Qt::TabFocus);
    place(Picture, 1035, 3825, 3615, 285);
    Picture->setAccessibleName(QStringLiteral("保存先フォルダー"));

    Label = new QLabel(Picture);
    Label->setObjectName(QStringLiteral("Label"));
    Label->setTextFormat(Qt::PlainText);
    Label->setFont(font());

    for (QPushButton* button : {HENKAN, CLEAR, HOZON}) {
        button->setAutoDefault(true);
        button->setAccessibleName(button->text());
    }
    for (QCheckBox* box : CHECK)
        box->setAccessibleName(box->text());

    Timer1 = new Timer(100, this);

    // Tab order: Drive, Folder, the prefix, the start number, the suffix,
    // HOZON, HENKAN, CLEAR, the two check boxes, List, Picture.
    QWidget* order[] = {Drive,  Folder, Text[0],  Text[2],  Text[1], HOZON,
                        HENKAN, CLEAR,  CHECK[0], CHECK[1], List,    Picture};
    for (size_t k = 0; k + 1 < std::size(order); ++k)
        setTabOrder(order[k], order[k + 1]);
}

void Tolvane::buildMenus() {
    SETEI = menuBar()->addMenu(QStringLiteral("設定"));
    KAKU = SETEI->addAction(QStringLiteral("拡張子..."));
    // The conversion list's context menu; never on the menu bar.
    SETEI2 = new QMenu(QStringLiteral("設定"), this);
    DELETE = SETEI2->addAction(QStringLiteral("リストから削除"));
    HELP = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    USE = HELP->addAction(QStringLiteral("使い方..."));
    HP = HELP->addAction(QStringLiteral("ホームページ..."));
    VER = HELP->addAction(QStringLiteral("バージョン情報..."));
}

void Tolvane::connectHandlers() {
    connect(Drive, &DriveList::changed, this, &Tolvane::Drive_Change);
    connect(Folder, &FolderList::changed, this, &Tolvane::Folder_Change);
    connect(File, &FileList::pathChanged, this, &Tolvane::File_PathChange);
    connect(File, &FileList::patternChanged, this, &Tolvane::File_PatternChange);
    connect(Timer1, &Timer::tick, this, &Tolvane::Timer1_Timer);
    connect(List, &ListBox::rightButtonPressed, this, &Tolvane::List_RightButton);
    connect(DELETE, &QAction::triggered, this, &Tolvane::DELETE_Click);
    connect(CLEAR, &QPushButton::clicked, this, &Tolvane::CLEAR_Click);
    for (int i = 0; i < 2; ++i)
        connect(CHECK[size_t(i)], &QCheckBox::toggled, this, [this, i] { CHECK_Click(i); });
    connect(HENKAN, &QPushButton::clicked, this, &Tolvane::HENKAN_Click);
    connect(KAKU, &QAction::triggered, this, &Tolvane::KAKU_Click);
    connect(HOZON, &QPushButton::clicked, this, &Tolvane::HOZON_Click);
    connect(USE, &QAction::triggered, this, &Tolvane::USE_Click);
    connect(HP, &QAction::triggered, this, &Tolvane::HP_Click);
    connect(VER, &QAction::triggered, this, &Tolvane::VER_Click);

    // Delete on the keyboard does what the context menu's item does.
    connect(List, &ListBox::deleteKeyPressed, this, &Tolvane::DELETE_Click);
}

// ---- the destination label ------------------------------------------------

QString Tolvane::labelCaption() const {
    return Label->property("folder").toString();
}

void Tolvane::setLabelCaption(const QString& folder) {
    // The label holds the path as it came (escaped bytes and all) and shows it.
    Label->setProperty("folder", folder);
    Label->setText(displayText(folder));
    Label->adjustSize();
    placeLabel();
}

void Tolvane::setLabelLeft(int twips) {
    labelLeft_ = twips;
    placeLabel();
}

int Tolvane::labelWidth() const {
    return pixelsToTwips(Label->width());
}

void Tolvane::placeLabel() {
    const QRect inside = Picture->contentsRect();
    Label->move(inside.left() + twipsToPixels(labelLeft_),
                inside.top() + (inside.height() - Label->height()) / 2);
}

// ---- window height --------------------------------------------------------

void Tolvane::setOuterHeight(int twips) {
    outerHeight_ = twips;
    applyClientHeight();
}

void Tolvane::applyClientHeight() {
    // The frame around the client area stays as it is; the client area takes
    // the whole change of the outer height.
    const int clientHeight = kClientHeight + (outerHeight_ - kOuterHeightClosed);
    const QSize client = twipsSize(kClientWidth, clientHeight);
    centralWidget()->setFixedSize(client);
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(client.width(), client.height() + menuHeight);
    // What lies below the client area is out of sight, and out of reach of
    // the keyboard and of screen readers.
    const bool rowInView = clientHeight > 3825;
    HOZON->setVisible(rowInView);
    Picture->setVisible(rowInView);
}

// ---- browsing and the conversion list -------------------------------------

void Tolvane::LIST_reload() {
    List->Clear();
    File->Refresh();
    if (File->lastError() != 0 && !File->Path().isEmpty() && Folder->Path() == File->Path()) {
        // The folder went away or cannot be read any more: never show a stale
        // list, show the nearest folder that is still there. That is a folder
        // change, which comes back here with the new folder.
        const QString gone = Folder->Path();
        Folder->openNearestExisting(gone);
        if (Folder->Path() != gone)
            return;
    }
    List->setVisibleKeepingFocus(false);
    // The whole list in one step: the same entries, in the same order, as
    // appending them one by one.
    List->setItems(File->names());
    List->setVisibleKeepingFocus(true);
}

void Tolvane::Drive_Change() {
    followDrive(*Drive, *Folder);
}

void Tolvane::Folder_Change() {
    File->setPath(Folder->Path());
    if (!CHECK[0]->isChecked())
        setLabelCaption(Folder->Path());
    scrollCheck();
}

void Tolvane::File_PathChange() {
    LIST_reload();
}
void Tolvane::File_PatternChange() {
    LIST_reload();
}

void Tolvane::scrollCheck() {
    if (labelWidth() > kStripWidth) {
        Timer1->setInterval(100);
    } else {
        setLabelLeft(kLabelHome);
        Timer1->setInterval(0);
    }
}

void Tolvane::Timer1_Timer() {
    if (labelWidth() > kStripWidth) {
        Timer1->setInterval(100);
        int left = labelLeft_ - kScrollStep;
        if (left + labelWidth() < 0)
            left = kStripWidth;  // gone on the left: in again from the right
        setLabelLeft(left);
    } else {
        setLabelLeft(kLabelHome);
        Timer1->setInterval(0);
    }
}

void Tolvane::List_RightButton(const QPoint& globalPos) {
    SETEI2->popup(globalPos);
}

void Tolvane::DELETE_Click() {
    List->setVisibleKeepingFocus(false);
    // From the last entry to the first, so that a removal never renumbers an
    // entry still to be visited.
    for (int index = List->ListCount() - 1; index >= 0; --index) {
        if (List->Selected(index))
            List->RemoveItem(index);
    }
    List->setVisibleKeepingFocus(true);
}

void Tolvane::CLEAR_Click() {
    Folder->Refresh();
    for (int index = 1; index >= 0; --index) {
        CHECK[size_t(index)]->setChecked(false);
        Text[size_t(index)]->clear();
    }
    Text[2]->setText(QStringLiteral("1"));
    LIST_reload();
}

void Tolvane::CHECK_Click(int index) {
    if (index == 0) {
        setOuterHeight(CHECK[0]->isChecked() ? kOuterHeightOpen : kOuterHeightClosed);
        return;
    }
    if (CHECK[1]->isChecked()) {
        for (int box = 0; box < 2; ++box) {
            Text[size_t(box)]->clear();
            Text[size_t(box)]->setEnabled(false);
        }
    } else {
        Text[0]->setEnabled(true);
        Text[1]->setEnabled(true);
    }
}

// ---- the name boxes and the rename command --------------------------------

int Tolvane::NAME_check(QLineEdit* obj) {
    const int i = ::NAME_check(obj->text());
    if (i == 1) {
        // The whole box is emptied, not just the offending characters, so the
        // user types the text again knowing what was wrong with it.
        obj->clear();
        showMessage(nameRefusalMessage());
    }
    return i;
}

int Tolvane::showMessage(const Message& message) {
    return MsgBox(message.prompt, message.code, message.title);
}

void Tolvane::setFileSystem(FileSystem* fileSystem) {
    fileSystem_ = fileSystem ? fileSystem : ownFileSystem_.get();
}

void Tolvane::HENKAN_Click() {
    if (List->ListCount() == 0) {
        showMessage(emptyListMessage());
        return;
    }
    if (NAME_check(Text[0]) == 1)
        return;
    if (NAME_check(Text[1]) == 1)
        return;
    // A start number that cannot number this list stops here, before the
    // user is asked and before any file is touched.
    if (const std::optional<Message> problem =
            startNumberProblem(Text[2]->text(), List->ListCount())) {
        showMessage(*problem);
        return;
    }
    const QString MES = MES_build(CHECK[1]->isChecked(), Text[0]->text(), Text[1]->text());
    showMessage(confirmationMessage(MES));
    const QString answer = MSG_RESULT;
    if (answer != QLatin1String("1"))
        return;

    RenameJob job;
    job.folderPath = Folder->Path();
    job.labelCaption = labelCaption();
    job.changeDestination = CHECK[0]->isChecked();
    job.startText = Text[2]->text();
    job.prefix = Text[0]->text();
    job.suffix = Text[1]->text();
    job.entries = List->nativeItems();
    const RenameResult result = CHECK[1]->isChecked() ? RENAME_original(job, *fileSystem_)
                                                      : RENAME_serial(job, *fileSystem_);
    if (const std::optional<Message> failure = failureMessage(job, result))
        showMessage(*failure);

    File->Refresh();
    LIST_reload();
}
void Tolvane::KAKU_Click() {
    frmSETEI::openFromMenu(this, *File);
}

void Tolvane::HOZON_Click() {
    if (const std::optional<QString> folder = frmSELECT::choose(this, labelCaption())) {
        setLabelCaption(*folder);
        scrollCheck();
    }
}

// ---- start-up and shutdown ------------------------------------------------

QString Tolvane::folderPath() const {
    return Folder->Path();
}

int Tolvane::setFolderPath(const QString& folder) {
    return Folder->setPath(folder);
}

int Tolvane::setDriveOf(const QString& folder) {
    const QString drive = volumeOf(folder, volumeSource().volumes());
    if (drive.isEmpty())
        return kErrDeviceUnavailable;
    return Drive->setDrive(drive);
}

void Tolvane::setFilePattern(const QString& patterns) {
    File->setPattern(patterns);
}

bool Tolvane::runFirstRunDialog() {
    return frmSETEI::openForFirstRun(this, *File);
}

void Tolvane::closeEvent(QCloseEvent* event) {
    Form_Unload(*this);
    event->accept();
}

void Tolvane::USE_Click() {
    openUsageDocument(this);
}

void Tolvane::HP_Click() {
    openHomePage();
}

void Tolvane::VER_Click() {
    showVersion();
}

// ---- keyboard -------------------------------------------------------------

void Tolvane::keyPressEvent(QKeyEvent* event) {
    // HENKAN is the window's default button: Enter reaches here from every
    // control that does not use it itself (a focused button presses itself,
    // the folder list opens a folder).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (HENKAN->isEnabled())
            HENKAN->click();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}
