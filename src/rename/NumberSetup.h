#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Serial numbers are 16-bit signed values to the user: no batch may give a
// serial above this.
inline constexpr int maxSerial = 32767;

// The three values a batch rests on, fixed once before its first rename.
struct NumberSetup {
    QString NEW_PATH;     // the folder the new names go to, always ending in "/"
    int DIGITS = 0;       // characters of the last serial, written in decimal
    QString FORMAT_MASK;  // a run of "0": the least width of every serial

    bool operator==(const NumberSetup&) const = default;
};

// changeDestination: the "move to a destination" box is on, so the files go to
// labelCaption instead of staying in folderPath. startText is the start number
// as typed (its typed width, leading zeros included, is a least width for all
// serials); listCount the number of files in the batch.
NumberSetup NUMBER_setup(bool changeDestination, const QString& labelCaption,
                         const QString& folderPath, const QString& startText, int listCount);

// The value of a start number written in plain ASCII digits, or nothing when
// the text is empty or holds anything else (blanks, signs, full-width digits,
// a fraction). A value too large for int comes back as maxSerial + 1: it is
// refused either way.
std::optional<int> plainStartNumber(QStringView startText);
