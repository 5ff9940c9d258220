#include "ui/dialogs/frmSETEI.h"

#include "app/Module1.h"
#include "app/NativeName.h"
#include "app/Startup.h"
#include "ui/dialogs/DialogFrame.h"
#include "ui/platform/FileList.h"
#include "ui/platform/Fonts.h"
#include "ui/platform/ListBox.h"
#include "ui/platform/MessageBox.h"
#include "ui/platform/TextFilters.h"
#include "rename/NameCheck.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

const QString kSection = QStringLiteral("Data");
const QString kKey = QStringLiteral("拡張子");

}  // namespace

frmSETEI::frmSETEI(FileList& file, QWidget* parent) : QDialog(parent), file_(file) {
    setObjectName(QStringLiteral("frmSETEI"));
    setUpFixedDialog(*this, QStringLiteral("拡張子設定"), 3180, 2580);

    Frame = new QGroupBox(QStringLiteral("処理する拡張子"), this);
    Frame->setObjectName(QStringLiteral("Frame"));
    placeTwips(*Frame, 120, 112, 2940, 1950);

    List = new ListBox(Frame);
    List->setObjectName(QStringLiteral("List"));
    List->setSorted(true);
    List->setSelectionKind(ListBox::Selection::Simple);
    placeTwips(*List, 180, 315, 1230, 1500);
    List->setAccessibleName(Frame->title());

    Text = new QLineEdit(Frame);
    Text->setObjectName(QStringLiteral("Text"));
    placeTwips(*Text, 1530, 315, 1275, 420);
    Text->setMaxLength(5);
    Text->setFont(proportionalGothic(14.25, true));
    Text->setAccessibleName(QStringLiteral("追加する拡張子"));
    // Typed, pasted or committed alike: what is no half-width letter or digit
    // is dropped, with a warning once the edit is done.
    auto* refusal = new RefusalWarning(
        Message{QStringLiteral("半角英数字を記入してください"), 0, QStringLiteral("注意")}, this);
    auto* validator = new HalfWidthValidator(isExtensionCharacter, Text);
    validator->setOnRefused([refusal] { refusal->request(); });
    Text->setValidator(validator);

    TUIKA = new QPushButton(QStringLiteral("ﾘｽﾄに追加"), Frame);
    TUIKA->setObjectName(QStringLiteral("TUIKA"));
    placeTwips(*TUIKA, 1530, 855, 1275, 420);

    DELETE = new QPushButton(QStringLiteral("ﾘｽﾄから削除"), Frame);
    DELETE->setObjectName(QStringLiteral("DELETE"));
    placeTwips(*DELETE, 1530, 1395, 1275, 420);

    setFrameTitleLook(*Frame, proportionalGothic(9.75, true));

    MAIN = new QPushButton(QStringLiteral("メインへ"), this);
    MAIN->setObjectName(QStringLiteral("MAIN"));
    placeTwips(*MAIN, 120, 2115, 2940, 420);
    MAIN->setFont(proportionalGothic(11.25, true));

    // Enter presses TUIKA unless another button has the focus.
    for (QPushButton* button : {TUIKA, DELETE, MAIN})
        button->setAutoDefault(true);
    TUIKA->setDefault(true);

    setTabOrder(List, MAIN);
    setTabOrder(MAIN, Text);
    setTabOrder(Text, TUIKA);
    setTabOrder(TUIKA, DELETE);
    List->setFocus();

    connect(TUIKA, &QPushButton::clicked, this, &frmSETEI::TUIKA_Click);
    connect(DELETE, &QPushButton::clicked, this, &frmSETEI::DELETE_Click);
    connect(MAIN, &QPushButton::clicked, this, &frmSETEI::MAIN_Click);
}

frmSETEI::~frmSETEI() = default;

bool frmSETEI::openFromMenu(QWidget* parent, FileList& file) {
    QPointer<frmSETEI> dialog = new frmSETEI(file, parent);
    dialog->addStoredEntries(INI_read(kSection, kKey));
    const bool confirmed = dialog->exec() == QDialog::Accepted;
    delete dialog;
    return confirmed;
}

bool frmSETEI::openForFirstRun(QWidget* parent, FileList& file) {
    QPointer<frmSETEI> dialog = new frmSETEI(file, parent);
    dialog->List->AddItem(QStringLiteral("*.jpg"));
    const bool confirmed = dialog->exec() == QDialog::Accepted;
    delete dialog;
    return confirmed;
}

void frmSETEI::addStoredEntries(const QString& stored) {
    QStringView rest(stored);
    while (!rest.isEmpty()) {
        const qsizetype semicolon = rest.indexOf(u';');
        if (semicolon < 0) {
            List->AddItem(rest.toString());
            return;
        }
        List->AddItem(rest.left(semicolon).toString());
        rest = rest.mid(semicolon + 1);
    }
}

QString frmSETEI::entry(int index) const {
    // The entry exactly as it was added, even where it holds bytes that the
    // list can only show as replacement marks.
    return fromNative(List->nativeItem(index));
}

void frmSETEI::keyPressEvent(QKeyEvent* event) {
    // Escape has no meaning here: the dialog closes only by its buttons or
    // its title bar.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmSETEI::TUIKA_Click() {
    if (Text->text().isEmpty())
        return;
    const QByteArray added = toNative(QStringLiteral("*.") + Text->text());
    bool present = false;
    for (int index = 0; index < List->ListCount() && !present; ++index)
        present = List->nativeItem(index) == added;
    if (!present)
        List->addNative(added);
    Text->clear();
}

void frmSETEI::DELETE_Click() {
    // From the last entry to the first, so that a removal never renumbers an
    // entry still to be visited.
    for (int index = List->ListCount() - 1; index >= 0; --index) {
        if (List->Selected(index))
            List->RemoveItem(index);
    }
}

void frmSETEI::MAIN_Click() {
    // The stored form lists the entries last first. No entries leave it null,
    // which removes the key instead of storing an empty value.
    QString stored;
    for (int index = 0; index < List->ListCount(); ++index)
        stored = entry(index) + u';' + stored;
    if (stored.endsWith(u';'))
        stored.chop(1);
    file_.setPattern(stored.isEmpty() ? QString::fromUtf16(kPlaceholderPattern) : stored);
    INI_write(kSection, kKey, stored);
    accept();
}
