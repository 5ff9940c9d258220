#pragma once

class QPushButton;
class QString;
class QWidget;

// What screen readers need from this program beyond what Qt 6.4 gives them on
// Linux (AT-SPI, as Orca hears it).

// Gives widget the program's own accessibility interface from now on: the
// drive list is heard by its name with the drive as its value, the path strip
// as a read-only text. Called by the control itself once it is built; an
// interface Qt made for it earlier is dropped.
void useOwnAccessibleInterface(QWidget* widget);

// Has a screen reader say message now, heard as a notification in the window
// of near. Qt 6.4 has no announcement event, and it reports a changed name or
// description without the text, which Orca then does not say; Orca speaks a
// notification as soon as one appears. Does nothing while no screen reader
// listens.
void announce(QWidget* near, const QString& message);

// Has screen readers take button for the window's default button (the one
// Enter presses wherever no other button has the focus), or for none. Outside
// a dialog Qt marks an auto-default button as the default while it has the
// focus, and takes the mark from 変換 too once the focus has passed through
// it, without telling screen readers: Orca named a button it had seen
// focused as the default.
void reportAsDefaultButton(QPushButton* button, bool isDefault);
