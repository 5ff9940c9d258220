#pragma once

#include "core/files/Shots.h"

#include <QByteArray>

#include <vector>

// New orders for the conversion list. Each is given as the old row of every
// new place: order[k] is the row that comes k-th. Serial numbers follow the
// list, so each of these decides which shot gets which number.

// Natural order of the shots' first names (IMG_2 before IMG_10), as the
// folder listing gives it.
std::vector<int> naturalOrder(const std::vector<Shot>& shots);

// The order the shots were taken in: earlier shooting times (see shotTime:
// corrected by their cameras' clock offsets) first, equal times in natural
// name order. Shots without a time (none that could be read at all) come
// last, in natural name order.
std::vector<int> timeOrder(const std::vector<Shot>& shots);

// The selected rows, in their order, moved to stand before row destination
// (0 to the row count); the others keep theirs. A drop at the place the
// selection already holds changes nothing.
std::vector<int> orderMovingTo(const std::vector<bool>& selected, int destination);

// Every selected row one place up (step -1) or down (+1), past its unselected
// neighbour. When a selected row already stands at that end of the list
// nothing moves, so the gaps between the selected rows stay as they were.
std::vector<int> orderMovingByOne(const std::vector<bool>& selected, int step);

// Whether order leaves every row where it is.
bool isIdentity(const std::vector<int>& order);
