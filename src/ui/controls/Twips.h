#pragma once

#include <QRect>

// Window layouts are given in twips, 1440 to the inch: 15 twips make one
// pixel at 96 dots per inch. Pixels follow the screen's logical DPI, so the
// windows keep their proportions on a high-DPI desktop.

// Logical dots per inch of the primary screen (96 when there is none).
double logicalDpi();

int twipsToPixels(int twips);
int pixelsToTwips(int pixels);
QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);
