#pragma once

#include <QStringView>

#include <optional>

// Serial numbers are 16-bit signed values to the user: no batch may give a
// serial above this.
inline constexpr int kMaxSerial = 32767;

// The value of a start number written in plain ASCII digits, or nothing when
// the text is empty or holds anything else (blanks, signs, full-width digits,
// a fraction). A value too large for int comes back as kMaxSerial + 1: it is
// refused either way.
std::optional<int> plainStartNumber(QStringView startText);

// The width every serial of a batch of count files is written with, padded
// with "0" on the left: the digits of the last serial, or the length of the
// start number as typed (leading zeros included) when that is longer. Start
// "007" gives 007, 008 …; start 95 over ten files gives 095 … 104.
int serialWidth(QStringView startText, int start, int count);
