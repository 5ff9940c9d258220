#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>
#include <vector>

// Fields that a prefix or suffix may hold, each standing for the shooting
// time of the file (of its shot) written one way, in digits and "-" only, so
// that a camera card takes every name they give. A field counts only as its
// whole text: any other "<" or ">" is a forbidden character as ever.
enum class DateField : quint8 {
    Date,        // "<年月日>": 20240512
    DashedDate,  // "<年-月-日>": 2024-05-12
    Time,        // "<時分秒>": 093015
};

inline constexpr DateField kDateFields[] = {DateField::Date, DateField::DashedDate,
                                            DateField::Time};

// The field as the user types or inserts it.
QStringView dateFieldText(DateField field);

// The field whose whole text starts at at in text, if one does.
std::optional<DateField> dateFieldAt(QStringView text, qsizetype at);

// A naive wall-clock time (milliseconds since 1970-01-01T00:00 of the clock
// it was read from, see core/files/ListedFile.h) taken apart, on the
// proleptic Gregorian calendar.
struct WallClock {
    qint64 day = 0;  // days since 1970-01-01: one value a calendar day
    int year = 1970;
    int month = 1;
    int dayOfMonth = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};
WallClock wallClock(qint64 localMsecs);

// A prefix or suffix as native bytes, with its fields taken out to be
// written for each file in turn.
class NameText {
public:
    NameText() = default;
    explicit NameText(const QString& text);

    bool hasDateFields() const { return !fields_.empty(); }
    // Whether a field writes the date (either form), not the time of day only.
    bool showsDay() const;
    // The bytes the text takes in a name, each field written (with a year
    // of four digits, which every time from a camera or a disk has).
    qsizetype writtenSize() const;
    // The text with each field written from clock.
    void append(QByteArray& out, const WallClock& clock) const;

private:
    struct Place {
        qsizetype at;  // where in bytes_ the field stands
        DateField field;
    };
    QByteArray bytes_;  // the text without its fields
    std::vector<Place> fields_;
};
