#include "ui/windows/CameraClockDialog.h"

#include "core/photo/ShootingTime.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/Twips.h"
#include "ui/services/MessageBoxes.h"
#include "ui/windows/ControlLayout.h"
#include "ui/windows/WindowStyle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>

namespace {

enum class ClockControl {
    Dialog,
    CameraHeader,
    CountHeader,
    FirstHeader,
    LastHeader,
    OffsetHeader,
    RowArea,
    OkButton,
    CancelButton,
};

// One clock's row, repeated below the one before it in the row area.
enum class RowControl {
    Row,
    CameraName,
    FileCount,
    FirstTime,
    LastTime,
    AddSign,
    SubtractSign,
    DaysEdit,
    DaysUnit,
    HoursEdit,
    HoursUnit,
    MinutesEdit,
    MinutesUnit,
    SecondsEdit,
    SecondsUnit,
};

constexpr int kRowWidth = 12510;
constexpr int kRowHeight = 420;
constexpr int kRowsInView = 6;
constexpr int kAreaFrame = 30;  // the row area's frame, each side

// Where each control stands, in twips. The headers stand above the columns
// of the rows (the row area and its frame to the left of them).
// clang-format off
constexpr ControlLayout<ClockControl> kLayout[] = {
    {ClockControl::CameraHeader, "cameraHeader", ClockControl::Dialog, 210, 180, 3060, 270,
     {FontFace::Proportional, 9, true}, u"カメラ", nullptr},
    {ClockControl::CountHeader, "countHeader", ClockControl::Dialog, 3330, 180, 540, 270,
     {FontFace::Proportional, 9, true}, u"枚数", nullptr},
    {ClockControl::FirstHeader, "firstHeader", ClockControl::Dialog, 4050, 180, 2010, 270,
     {FontFace::Proportional, 9, true}, u"最初の撮影日時", nullptr},
    {ClockControl::LastHeader, "lastHeader", ClockControl::Dialog, 6180, 180, 2010, 270,
     {FontFace::Proportional, 9, true}, u"最後の撮影日時", nullptr},
    {ClockControl::OffsetHeader, "offsetHeader", ClockControl::Dialog, 8310, 180, 4140, 270,
     {FontFace::Proportional, 9, true}, u"加える時間", nullptr},
    {ClockControl::RowArea, "rowArea", ClockControl::Dialog, 120, 480,
     kRowWidth + 2 * kAreaFrame + 255, kRowsInView * kRowHeight + 2 * kAreaFrame,
     {FontFace::Inherited}, u"", u"カメラ"},
    {ClockControl::OkButton, "okButton", ClockControl::Dialog, 10125, 3180, 1365, 390,
     {FontFace::Proportional, 9, true}, u"OK", nullptr},
    {ClockControl::CancelButton, "cancelButton", ClockControl::Dialog, 11580, 3180, 1365, 390,
     {FontFace::Proportional, 9, true}, u"キャンセル", nullptr},
};

constexpr ControlLayout<RowControl> kRowLayout[] = {
    {RowControl::CameraName, "cameraName", RowControl::Row, 60, 60, 3060, 300,
     {FontFace::Inherited}, u"", nullptr},
    {RowControl::FileCount, "fileCount", RowControl::Row, 3180, 60, 540, 300,
     {FontFace::Inherited}, u"", nullptr},
    {RowControl::FirstTime, "firstTime", RowControl::Row, 3900, 60, 2010, 300,
     {FontFace::Inherited}, u"", nullptr},
    {RowControl::LastTime, "lastTime", RowControl::Row, 6030, 60, 2010, 300,
     {FontFace::Inherited}, u"", nullptr},
    {RowControl::AddSign, "addSign", RowControl::Row, 8160, 30, 450, 360,
     {FontFace::Inherited}, u"+", nullptr},
    {RowControl::SubtractSign, "subtractSign", RowControl::Row, 8610, 30, 450, 360,
     {FontFace::Inherited}, u"-", nullptr},
    {RowControl::DaysEdit, "daysEdit", RowControl::Row, 9120, 30, 660, 360,
     {FontFace::Inherited}, u"0", nullptr},
    {RowControl::DaysUnit, "daysUnit", RowControl::Row, 9810, 60, 240, 300,
     {FontFace::Inherited}, u"日", nullptr},
    {RowControl::HoursEdit, "hoursEdit", RowControl::Row, 10080, 30, 420, 360,
     {FontFace::Inherited}, u"0", nullptr},
    {RowControl::HoursUnit, "hoursUnit", RowControl::Row, 10530, 60, 480, 300,
     {FontFace::Inherited}, u"時間", nullptr},
    {RowControl::MinutesEdit, "minutesEdit", RowControl::Row, 11040, 30, 420, 360,
     {FontFace::Inherited}, u"0", nullptr},
    {RowControl::MinutesUnit, "minutesUnit", RowControl::Row, 11490, 60, 240, 300,
     {FontFace::Inherited}, u"分", nullptr},
    {RowControl::SecondsEdit, "secondsEdit", RowControl::Row, 11760, 30, 420, 360,
     {FontFace::Inherited}, u"0", nullptr},
    {RowControl::SecondsUnit, "secondsUnit", RowControl::Row, 12210, 60, 240, 300,
     {FontFace::Inherited}, u"秒", nullptr},
};
// clang-format on

constexpr RowControl kRowTabOrder[] = {
    RowControl::AddSign,   RowControl::SubtractSign, RowControl::DaysEdit,
    RowControl::HoursEdit, RowControl::MinutesEdit,  RowControl::SecondsEdit,
};

QWidget* newControl(ClockControl control, QWidget* parent) {
    switch (control) {
        case ClockControl::Dialog:
            break;
        case ClockControl::CameraHeader:
        case ClockControl::CountHeader:
        case ClockControl::FirstHeader:
        case ClockControl::LastHeader:
        case ClockControl::OffsetHeader:
            return new QLabel(parent);
        case ClockControl::RowArea:
            return new QScrollArea(parent);
        case ClockControl::OkButton:
        case ClockControl::CancelButton:
            return new QPushButton(parent);
    }
    return nullptr;
}

QWidget* newRowControl(RowControl control, QWidget* parent) {
    switch (control) {
        case RowControl::Row:
            break;
        case RowControl::CameraName:
        case RowControl::FileCount:
        case RowControl::FirstTime:
        case RowControl::LastTime:
        case RowControl::DaysUnit:
        case RowControl::HoursUnit:
        case RowControl::MinutesUnit:
        case RowControl::SecondsUnit:
            return new QLabel(parent);
        // A sign each, the two of a row exclusive: a screen reader says
        // which is chosen (a combo box's choice goes unsaid once a label
        // names it).
        case RowControl::AddSign:
        case RowControl::SubtractSign:
            return new QRadioButton(parent);
        case RowControl::DaysEdit:
        case RowControl::HoursEdit:
        case RowControl::MinutesEdit:
        case RowControl::SecondsEdit:
            return new QLineEdit(parent);
    }
    return nullptr;
}

// The files without a camera: a file's own time, or Exif that names none.
QString groupName(const ClockGroup& group) {
    return group.camera.isKnown() ? cameraDisplayName(group.camera)
                                  : QStringLiteral("カメラ情報なし");
}

const QString kNotNumber =
    QStringLiteral("日は0～9999、時間は0～23、分と秒は0～59の数字で記入してください.");

}  // namespace

CameraClockDialog::CameraClockDialog(const std::vector<ClockGroup>& groups, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("cameraClockDialog"));
    setFont(proportionalGothic(9));
    const int areaHeight = kRowsInView * kRowHeight + 2 * kAreaFrame;
    setUpFixedDialog(*this, QStringLiteral("カメラの時計を補正"),
                     kRowWidth + 2 * kAreaFrame + 255 + 240, 480 + areaHeight + 120 + 390 + 120);

    const std::map<ClockControl, QWidget*> built =
        buildFromLayout(this, ClockControl::Dialog, kLayout, newControl);
    static_cast<QLabel*>(built.at(ClockControl::CountHeader))
        ->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    okButton_ = static_cast<QPushButton*>(built.at(ClockControl::OkButton));
    cancelButton_ = static_cast<QPushButton*>(built.at(ClockControl::CancelButton));
    auto* area = static_cast<QScrollArea*>(built.at(ClockControl::RowArea));
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setFocusPolicy(Qt::NoFocus);

    auto* rows = new QWidget;
    rows->setObjectName(QStringLiteral("rows"));
    rows->setFixedSize(twipsSize(kRowWidth, kRowHeight * int(groups.size())));
    for (size_t k = 0; k < groups.size(); ++k)
        addRow(rows, int(k), groups[k]);
    area->setWidget(rows);

    // Tab goes along each row, row after row, then to the buttons.
    QWidget* previous = nullptr;
    for (const OffsetBoxes& row : boxes_) {
        if (previous)
            QWidget::setTabOrder(previous, row.add);
        previous = row.seconds;
    }
    if (previous)
        QWidget::setTabOrder(previous, okButton_);
    QWidget::setTabOrder(okButton_, cancelButton_);
    if (!boxes_.empty())
        boxes_.front().add->setFocus();

    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &CameraClockDialog::acceptNumbers);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

CameraClockDialog::~CameraClockDialog() = default;

void CameraClockDialog::addRow(QWidget* rows, int index, const ClockGroup& group) {
    auto* row = new QWidget(rows);
    row->setObjectName(QStringLiteral("clockRow%1").arg(index));
    placeTwips(*row, 0, index * kRowHeight, kRowWidth, kRowHeight);
    const std::map<RowControl, QWidget*> built =
        buildFromLayout(row, RowControl::Row, kRowLayout, newRowControl);
    setLayoutTabOrder(built, kRowTabOrder);
    const auto label = [&built](RowControl control) {
        return static_cast<QLabel*>(built.at(control));
    };
    const auto edit = [&built](RowControl control) {
        return static_cast<QLineEdit*>(built.at(control));
    };

    const QString name = groupName(group);
    QLabel* cameraName = label(RowControl::CameraName);
    cameraName->setText(
        cameraName->fontMetrics().elidedText(name, Qt::ElideRight, cameraName->width()));
    cameraName->setToolTip(name);
    cameraName->setAccessibleName(name);
    label(RowControl::FileCount)->setText(QString::number(group.fileCount));
    label(RowControl::FileCount)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label(RowControl::FirstTime)->setText(formatShootingTime(group.firstMsecs));
    label(RowControl::LastTime)->setText(formatShootingTime(group.lastMsecs));

    const ClockOffsetText offset = clockOffsetText(group.offsetMsecs);
    OffsetBoxes boxes;
    boxes.add = static_cast<QRadioButton*>(built.at(RowControl::AddSign));
    boxes.subtract = static_cast<QRadioButton*>(built.at(RowControl::SubtractSign));
    (offset.negative ? boxes.subtract : boxes.add)->setChecked(true);
    boxes.add->setAccessibleName(name + QStringLiteral(" +"));
    boxes.subtract->setAccessibleName(name + QStringLiteral(" -"));
    boxes.days = edit(RowControl::DaysEdit);
    boxes.hours = edit(RowControl::HoursEdit);
    boxes.minutes = edit(RowControl::MinutesEdit);
    boxes.seconds = edit(RowControl::SecondsEdit);
    const std::pair<QLineEdit*, QString> texts[] = {{boxes.days, offset.days},
                                                    {boxes.hours, offset.hours},
                                                    {boxes.minutes, offset.minutes},
                                                    {boxes.seconds, offset.seconds}};
    for (const auto& [box, text] : texts) {
        box->setMaxLength(box == boxes.days ? 4 : 2);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setText(text);
    }
    // Each box is named after its camera and its unit, which a screen
    // reader says together; the unit labels alone would not tell the rows
    // apart.
    boxes.days->setAccessibleName(name + QStringLiteral(" 日"));
    boxes.hours->setAccessibleName(name + QStringLiteral(" 時間"));
    boxes.minutes->setAccessibleName(name + QStringLiteral(" 分"));
    boxes.seconds->setAccessibleName(name + QStringLiteral(" 秒"));
    boxes_.push_back(boxes);
}

bool CameraClockDialog::ask(QWidget* parent, std::vector<ClockGroup>& groups) {
    QPointer<CameraClockDialog> dialog = new CameraClockDialog(groups, parent);
    const int result = dialog->exec();
    const bool accepted = dialog && result == QDialog::Accepted;
    if (accepted) {
        for (size_t k = 0; k < groups.size(); ++k)
            groups[k].offsetMsecs = dialog->offsets()[k];
    }
    delete dialog;
    return accepted;
}

void CameraClockDialog::acceptNumbers() {
    std::vector<qint64> offsets;
    for (const OffsetBoxes& row : boxes_) {
        const ClockOffsetText text{row.subtract->isChecked(), row.days->text(), row.hours->text(),
                                   row.minutes->text(), row.seconds->text()};
        const std::variant<qint64, OffsetField> offset = clockOffsetFrom(text);
        if (const auto* field = std::get_if<OffsetField>(&offset)) {
            QLineEdit* wrong = *field == OffsetField::Days      ? row.days
                               : *field == OffsetField::Hours   ? row.hours
                               : *field == OffsetField::Minutes ? row.minutes
                                                                : row.seconds;
            showMessage(this, Message{kNotNumber, kWarningTitle, Icon::Warning});
            wrong->setFocus();
            wrong->selectAll();
            return;
        }
        offsets.push_back(std::get<qint64>(offset));
    }
    offsets_ = std::move(offsets);
    accept();
}
