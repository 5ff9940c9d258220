#include "ui/windows/ProgressWindow.h"

#include "core/common/TaskProgress.h"
#include "ui/controls/Fonts.h"
#include "ui/services/Accessibility.h"
#include "ui/services/MessageBoxes.h"
#include "ui/windows/WindowStyle.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

namespace {

constexpr int kRefreshMs = 100;

// A progress bar drawn as the plain text "n / N" of a label: the window looks
// as it always has.
class CountBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        style()->drawItemText(&painter, contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), QStringLiteral("%1 / %2").arg(value()).arg(maximum()),
                              QPalette::WindowText);
    }
};

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

    count_ = new CountBar(this);
    count_->setObjectName(QStringLiteral("progressCount"));
    placeTwips(*count_, 240, 150, 3720, 300);
    count_->setFont(proportionalGothic(11.25, true));
    count_->setRange(0, total_);
    count_->setFormat(QStringLiteral("%v / %m"));
    count_->setAccessibleName(title);

    item_ = new QLabel(this);
    item_->setObjectName(QStringLiteral("itemInHand"));
    item_->setTextFormat(Qt::PlainText);
    placeTwips(*item_, 240, 510, 3720, 300);

    stopButton_ = new QPushButton(QStringLiteral("中止"), this);
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    placeTwips(*stopButton_, 1500, 990, 1200, 390);
    stopButton_->setFont(proportionalGothic(9, true));
    stopButton_->setAccessibleName(stopButton_->text());
    item_->setBuddy(stopButton_);
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
    count_->setValue(done);
    const QString item = done < total_ ? itemInHand_(done) : QString();
    item_->setText(item_->fontMetrics().elidedText(item, Qt::ElideMiddle, item_->width()));
    item_->setToolTip(item);
    // What 中止 is labelled with: the count and the item's whole name.
    const QString label = QStringLiteral("%1 / %2 ").arg(done).arg(total_) + item;
    if (item_->accessibleName() != label)
        item_->setAccessibleName(label);
}

void ProgressWindow::done(int result) {
    // Said in the owner's window, which the focus goes back to; once, though
    // both the window's look and the work's end may close it.
    if (isVisible())
        announce(parentWidget() ? parentWidget() : this, progress_.shouldStop()
                                                             ? QStringLiteral("中止しました")
                                                             : QStringLiteral("終了しました"));
    QDialog::done(result);
}
