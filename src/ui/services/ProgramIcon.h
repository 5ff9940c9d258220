#pragma once

#include <QIcon>

// The program's icon in every size it ships, for the window's title bar, the
// task bar and the window switcher.
QIcon programIcon();
