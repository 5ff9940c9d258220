#include "ui/windows/ExtensionListDialog.h"

#include "core/files/FileList.h"
#include "core/rename/NameChecks.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
#include "ui/controls/PatternList.h"
#include "ui/controls/TextFilters.h"
#include "ui/services/Accessibility.h"
#include "ui/windows/ControlLayout.h"
#include "ui/windows/WindowStyle.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

enum class ExtensionControl {
    Dialog,
    Frame,
    ExtensionList,
    ExtensionEdit,
    AddButton,
    RemoveButton,
    DoneButton,
};

// Where each control stands, in twips; parents before their children.
// clang-format off
constexpr ControlLayout<ExtensionControl> kLayout[] = {
    {ExtensionControl::Frame, "extensionFrame", ExtensionControl::Dialog, 120, 112, 2940, 1950,
     {FontFace::Proportional, 9.75, true}, u"処理する拡張子", nullptr},
    {ExtensionControl::ExtensionList, "extensionList", ExtensionControl::Frame, 180, 315, 1230,
     1500, {FontFace::Inherited}, u"", u"処理する拡張子"},
    {ExtensionControl::ExtensionEdit, "extensionEdit", ExtensionControl::Frame, 1530, 315, 1275,
     420, {FontFace::Proportional, 14.25, true}, u"", u"追加する拡張子"},
    {ExtensionControl::AddButton, "addButton", ExtensionControl::Frame, 1530, 855, 1275, 420,
     {FontFace::Inherited}, u"ﾘｽﾄに追加", nullptr},
    {ExtensionControl::RemoveButton, "removeButton", ExtensionControl::Frame, 1530, 1395, 1275,
     420, {FontFace::Inherited}, u"ﾘｽﾄから削除", nullptr},
    {ExtensionControl::DoneButton, "doneButton", ExtensionControl::Dialog, 120, 2115, 2940, 420,
     {FontFace::Proportional, 11.25, true}, u"メインへ", nullptr},
};
// clang-format on

constexpr ExtensionControl kTabOrder[] = {
    ExtensionControl::ExtensionList, ExtensionControl::DoneButton,
    ExtensionControl::ExtensionEdit, ExtensionControl::AddButton,
    ExtensionControl::RemoveButton,
};

QWidget* newControl(ExtensionControl control, QWidget* parent) {
    switch (control) {
        case ExtensionControl::Dialog:
            break;
        case ExtensionControl::Frame:
            return new QGroupBox(parent);
        case ExtensionControl::ExtensionList:
            return new PatternList(parent);
        case ExtensionControl::ExtensionEdit:
            return new QLineEdit(parent);
        case ExtensionControl::AddButton:
        case ExtensionControl::RemoveButton:
        case ExtensionControl::DoneButton:
            return new QPushButton(parent);
    }
    return nullptr;
}

}  // namespace

ExtensionListDialog::ExtensionListDialog(FileList& files, QWidget* parent)
    : QDialog(parent), files_(files) {
    setObjectName(QStringLiteral("extensionListDialog"));
    setUpFixedDialog(*this, QStringLiteral("拡張子設定"), 3180, 2580);

    const std::map<ExtensionControl, QWidget*> built =
        buildFromLayout(this, ExtensionControl::Dialog, kLayout, newControl);
    setLayoutTabOrder(built, kTabOrder);
    extensionList_ = static_cast<PatternList*>(built.at(ExtensionControl::ExtensionList));
    extensionEdit_ = static_cast<QLineEdit*>(built.at(ExtensionControl::ExtensionEdit));
    addButton_ = static_cast<QPushButton*>(built.at(ExtensionControl::AddButton));
    removeButton_ = static_cast<QPushButton*>(built.at(ExtensionControl::RemoveButton));
    doneButton_ = static_cast<QPushButton*>(built.at(ExtensionControl::DoneButton));

    extensionList_->setSelectionKind(NameList::Selection::Multiple);
    extensionEdit_->setMaxLength(5);
    // Typed, pasted or committed alike: what is no half-width letter or digit
    // is dropped, with a warning once the edit is done.
    auto* refusal = new RefusalWarning(
        Message{QStringLiteral("半角英数字を記入してください"), kWarningTitle}, this);
    auto* validator = new HalfWidthValidator(isExtensionCharacter, extensionEdit_);
    validator->setOnRefused([refusal] { refusal->request(); });
    extensionEdit_->setValidator(validator);

    // Enter presses ﾘｽﾄに追加 unless another button has the focus.
    for (QPushButton* button : {addButton_, removeButton_, doneButton_})
        button->setAutoDefault(true);
    addButton_->setDefault(true);

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
    const QString pattern = stored.isEmpty() ? QString::fromUtf16(kNoExtensionsPattern) : stored;
    // The same list: the conversion list stays as the user left it, entries
    // removed or moved by hand included. Another list reads the folder again.
    if (pattern != files_.pattern())
        files_.setPattern(pattern);
    writeSetting(Setting::Extensions, stored);
    accept();
}
