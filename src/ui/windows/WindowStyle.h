#pragma once

class QDialog;
class QFont;
class QGroupBox;
class QString;
class QWidget;

// What the program's windows share in their looks.

// Gives dialog what both of the program's dialogs share: the title, a fixed
// client area of width by height twips, a border without minimize and
// maximize buttons, no icon of its own, and a place in the middle of the
// screen its owner is on.
void setUpFixedDialog(QDialog& dialog, const QString& title, int widthTwips, int heightTwips);

// Puts window in the middle of the screen it is on (its owner's, for a dialog).
void centreOnScreen(QWidget& window);

// Places widget at left, top with the size width, height, all in twips.
void placeTwips(QWidget& widget, int left, int top, int width, int height);

// Gives frame a title in titleFont and in blue. The controls already inside
// it keep the ordinary colours, and those without a font of their own keep
// the window's font instead of taking the title's.
void setFrameTitleLook(QGroupBox& frame, const QFont& titleFont);
