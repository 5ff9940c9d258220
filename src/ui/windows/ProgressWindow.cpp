#include "ui/windows/ProgressWindow.h"

#include "core/common/TaskProgress.h"
#include "ui/controls/Fonts.h"
#include "ui/services/MessageBoxes.h"
#include "ui/windows/WindowStyle.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int kRefreshMs = 100;

}  // namespace

ProgressWindow::ProgressWindow(QWidget* owner, const QString& title, int total,
                               TaskProgress& progress, std::function<QString(int)> itemInHand,
                               std::function<bool()> workEnded)
    : QDialog(owner),
      progress_(progress),
      total_(total),
      itemInHand_(std::move(itemInHand)),
      workEnded_(std::move(workEnded)) {
    setObjectName(QStringLiteral("progressWindow"));
    setModal(true);
    setUpFixedDialog(*this, title, 4200, 1500);
    setBoxFrame(*this);  // a box, unlike the dialogs: the program's icon
    setFont(proportionalGothic(9.75));

    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("progressCount"));
    placeTwips(*count_, 240, 150, 3720, 300);
    count_->setFont(proportionalGothic(11.25, true));

    item_ = new QLabel(this);
    item_->setObjectName(QStringLiteral("itemInHand"));
    item_->setTextFormat(Qt::PlainText);
    placeTwips(*item_, 240, 510, 3720, 300);

    stopButton_ = new QPushButton(QStringLiteral("中止"), this);
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    placeTwips(*stopButton_, 1500, 990, 1200, 390);
    stopButton_->setFont(proportionalGothic(9, true));
    stopButton_->setAccessibleName(stopButton_->text());
    stopButton_->setFocus();
    connect(stopButton_, &QPushButton::clicked, this, &ProgressWindow::reject);

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &ProgressWindow::update);
    timer->start(kRefreshMs);
    update();
}

void ProgressWindow::reject() {
    // The work stops after the item in hand; the window goes when it has.
    progress_.stopRequested.store(true);
    stopButton_->setEnabled(false);
    if (workEnded_())
        QDialog::reject();
}

void ProgressWindow::update() {
    if (workEnded_()) {
        accept();
        return;
    }
    const int done = progress_.done.load(std::memory_order_relaxed);
    count_->setText(QStringLiteral("%1 / %2").arg(done).arg(total_));
    const QString item = done < total_ ? itemInHand_(done) : QString();
    item_->setText(item_->fontMetrics().elidedText(item, Qt::ElideMiddle, item_->width()));
    item_->setToolTip(item);
}
