#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;

// A sunken strip that shows a folder path, the destination of the main
// window. A path wider than the strip scrolls through it from right to left,
// 30 twips every 100 ms, and comes in again from the right when it has gone
// out on the left; a path that fits sits still at the strip's left edge.
// Screen readers hear it as a read-only text, named by its accessible name,
// whose content is the path.
class PathStrip : public QFrame {
    Q_OBJECT
    // What a screen reader reads as the strip's text.
    Q_PROPERTY(QString path READ path NOTIFY pathChanged)
public:
    explicit PathStrip(QWidget* parent = nullptr);

    // The path as it came (escaped bytes and all); it is shown as text.
    QString path() const { return path_; }
    // Shows folder from where the text stands now; call checkScrolling after.
    // Raises pathChanged when the path shown changes.
    void setPath(const QString& folder);

    // Starts the scrolling when the path is wider than the strip, else puts
    // the text back at the left edge and stops.
    void checkScrolling();
    bool isScrolling() const { return timer_.isActive(); }

    // One step of the scrolling, as the timer takes it.
    void step();

    // The text's left edge inside the strip, and its width, in twips.
    int textLeft() const { return textLeft_; }
    void setTextLeft(int twips);
    int textWidth() const;

signals:
    void pathChanged(const QString& shown);

private:
    void placeText();

    QLabel* text_;
    QTimer timer_;
    QString path_;
    int textLeft_;
};
