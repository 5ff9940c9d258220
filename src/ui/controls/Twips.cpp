#include "ui/controls/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

double logicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int twipsToPixels(int twips) {
    return int(std::lround(twips * logicalDpi() / 1440.0));
}

int pixelsToTwips(int pixels) {
    return int(std::lround(pixels * 1440.0 / logicalDpi()));
}

QRect twipsRect(int left, int top, int width, int height) {
    const int x = twipsToPixels(left);
    const int y = twipsToPixels(top);
    // Right and bottom edges are rounded on their own, so that controls that
    // touch in twips also touch in pixels.
    return QRect(x, y, twipsToPixels(left + width) - x, twipsToPixels(top + height) - y);
}

QSize twipsSize(int width, int height) {
    return QSize(twipsToPixels(width), twipsToPixels(height));
}
