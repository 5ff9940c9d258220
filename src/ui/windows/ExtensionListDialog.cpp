#include "ui/windows/ExtensionListDialog.h"

#include "core/files/FileList.h"
#include "core/rename/NameChecks.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
#include "ui/controls/Accessibility.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/PatternList.h"
#include "ui/controls/TextFilters.h"
#include "ui/windows/WindowStyle.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

ExtensionListDialog::ExtensionListDialog(FileList& files, QWidget* parent)
    : QDialog(parent), files_(files) {
    setObjectName(QStringLiteral("extensionListDialog"));
    setUpFixedDialog(*this, QStringLiteral("拡張子設定"), 3180, 2580);

    auto* frame = new QGroupBox(QStringLiteral("処理する拡張子"), this);
    frame->setObjectName(QStringLiteral("extensionFrame"));
    placeTwips(*frame, 120, 112, 2940, 1950);

    extensionList_ = new PatternList(frame);
    extensionList_->setObjectName(QStringLiteral("extensionList"));
    extensionList_->setSelectionKind(NameList::Selection::Multiple);
    placeTwips(*extensionList_, 180, 315, 1230, 1500);
    extensionList_->setAccessibleName(frame->title());

    extensionEdit_ = new QLineEdit(frame);
    extensionEdit_->setObjectName(QStringLiteral("extensionEdit"));
    placeTwips(*extensionEdit_, 1530, 315, 1275, 420);
    extensionEdit_->setMaxLength(5);
    extensionEdit_->setFont(proportionalGothic(14.25, true));
    extensionEdit_->setAccessibleName(QStringLiteral("追加する拡張子"));
    // Typed, pasted or committed alike: what is no half-width letter or digit
    // is dropped, with a warning once the edit is done.
    auto* refusal = new RefusalWarning(
        Message{QStringLiteral("半角英数字を記入してください"), kWarningTitle}, this);
    auto* validator = new HalfWidthValidator(isExtensionCharacter, extensionEdit_);
    validator->setOnRefused([refusal] { refusal->request(); });
    extensionEdit_->setValidator(validator);

    addButton_ = new QPushButton(QStringLiteral("ﾘｽﾄに追加"), frame);
    addButton_->setObjectName(QStringLiteral("addButton"));
    placeTwips(*addButton_, 1530, 855, 1275, 420);

    removeButton_ = new QPushButton(QStringLiteral("ﾘｽﾄから削除"), frame);
    removeButton_->setObjectName(QStringLiteral("removeButton"));
    placeTwips(*removeButton_, 1530, 1395, 1275, 420);

    setFrameTitleLook(*frame, proportionalGothic(9.75, true));

    doneButton_ = new QPushButton(QStringLiteral("メインへ"), this);
    doneButton_->setObjectName(QStringLiteral("doneButton"));
    placeTwips(*doneButton_, 120, 2115, 2940, 420);
    doneButton_->setFont(proportionalGothic(11.25, true));

    // Enter presses ﾘｽﾄに追加 unless another button has the focus.
    for (QPushButton* button : {addButton_, removeButton_, doneButton_})
        button->setAutoDefault(true);
    addButton_->setDefault(true);

    setTabOrder(extensionList_, doneButton_);
    setTabOrder(doneButton_, extensionEdit_);
    setTabOrder(extensionEdit_, addButton_);
    setTabOrder(addButton_, removeButton_);
    extensionList_->setFocus();

    connect(addButton_, &QPushButton::clicked, this, &ExtensionListDialog::addTypedExtension);
    connect(removeButton_, &QPushButton::clicked, this, &ExtensionListDialog::removeSelected);
    connect(doneButton_, &QPushButton::clicked, this, &ExtensionListDialog::storeAndClose);
}

ExtensionListDialog::~ExtensionListDialog() = default;

bool ExtensionListDialog::openFromMenu(QWidget* parent, FileList& files) {
    QPointer<ExtensionListDialog> dialog = new ExtensionListDialog(files, parent);
    dialog->addStoredEntries(readSetting(Setting::Extensions));
    const bool confirmed = dialog->exec() == QDialog::Accepted;
    delete dialog;
    return confirmed;
}

bool ExtensionListDialog::openForFirstRun(QWidget* parent, FileList& files) {
    QPointer<ExtensionListDialog> dialog = new ExtensionListDialog(files, parent);
    dialog->extensionList_->addText(QStringLiteral("*.jpg"));
    const bool confirmed = dialog->exec() == QDialog::Accepted;
    delete dialog;
    return confirmed;
}

void ExtensionListDialog::addStoredEntries(const QString& stored) {
    QStringView rest(stored);
    while (!rest.isEmpty()) {
        const qsizetype semicolon = rest.indexOf(u';');
        if (semicolon < 0) {
            extensionList_->addText(rest.toString());
            return;
        }
        extensionList_->addText(rest.left(semicolon).toString());
        rest = rest.mid(semicolon + 1);
    }
}

void ExtensionListDialog::keyPressEvent(QKeyEvent* event) {
    // Escape has no meaning here: the dialog closes only by its buttons or
    // its title bar.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ExtensionListDialog::addTypedExtension() {
    if (extensionEdit_->text().isEmpty())
        return;
    const QByteArray added = toNative(QStringLiteral("*.") + extensionEdit_->text());
    const std::vector<QByteArray>& present = extensionList_->natives();
    if (std::find(present.begin(), present.end(), added) == present.end())
        extensionList_->addNative(added);
    extensionEdit_->clear();
}

void ExtensionListDialog::removeSelected() {
    const int before = extensionList_->count();
    extensionList_->removeSelectedRows();
    // The focus stays on the button: a screen reader hears which entry is
    // current now.
    const QModelIndex current = extensionList_->currentIndex();
    if (extensionList_->count() < before && current.isValid() && !extensionList_->hasFocus())
        announce(this, current.data().toString());
}

void ExtensionListDialog::storeAndClose() {
    // The stored form lists the entries last first, each exactly as it was
    // added, even where it holds bytes that the list can only show as
    // replacement marks. No entries leave it null, which removes the key
    // instead of storing an empty value.
    QString stored;
    for (const QByteArray& entry : extensionList_->natives())
        stored = fromNative(entry) + u';' + stored;
    if (stored.endsWith(u';'))
        stored.chop(1);
    files_.setPattern(stored.isEmpty() ? QString::fromUtf16(kNoExtensionsPattern) : stored);
    writeSetting(Setting::Extensions, stored);
    accept();
}
