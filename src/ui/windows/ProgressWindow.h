#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
struct TaskProgress;

// The window a long piece of work shows: the count done and the total as
// "n / N", the item in hand, and 中止, which asks the work to stop after the
// item in hand. Closing the window asks the same. It closes itself when the
// work has ended, and never before, and then tells a screen reader so.
//
// A screen reader takes the count for a progress bar, with its value and
// maximum, and hears it advance; 中止 is labelled by the count and the item
// in hand, so that asking where the focus is tells how far the work has come.
class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    // itemInHand: the text of the item being worked on, when done items are done.
    ProgressWindow(QWidget* owner, const QString& title, int total, TaskProgress& progress,
                   std::function<QString(int done)> itemInHand, std::function<bool()> workEnded);

    void reject() override;  // 中止, Escape and the title bar's close button
    void done(int result) override;

private:
    void update();

    TaskProgress& progress_;
    int total_;
    std::function<QString(int)> itemInHand_;
    std::function<bool()> workEnded_;
    QProgressBar* count_ = nullptr;
    QLabel* item_ = nullptr;
    QPushButton* stopButton_ = nullptr;
};
