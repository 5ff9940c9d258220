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

// The whole days and seconds since 1970-01-01T00:00 of such a time, rounded
// down: WallClock::day, and one value a second of the clock. Inline, as what
// follows, for names in the tens of thousands.
inline constexpr qint64 kMsecsPerDay = qint64(24) * 60 * 60 * 1000;
inline qint64 dayOf(qint64 localMsecs) {
    return localMsecs / kMsecsPerDay - (localMsecs % kMsecsPerDay < 0 ? 1 : 0);
}
inline qint64 secondOf(qint64 localMsecs) {
    return localMsecs / 1000 - (localMsecs % 1000 < 0 ? 1 : 0);
}
// Writes the six digits a 時分秒 field gives for a second of the day at to.
inline void putTimeOfDay(char* to, int secondOfDay) {
    for (const int value : {secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60}) {
        *to++ = char('0' + value / 10);
        *to++ = char('0' + value % 10);
    }
}

// A prefix or suffix as native bytes, with its fields taken out to be
// written for each file in turn.
class NameText {
public:
    NameText() = default;
    explicit NameText(const QString& text);

    bool hasDateFields() const { return !fields_.empty(); }
    // Whether a field writes the date (either form), not the time of day only;
    // whether one writes the time of day.
    bool showsDay() const;
    bool showsTime() const;
    // The bytes the text takes in a name, each field written (with a year
    // of four digits, which every time from a camera or a disk has).
    qsizetype writtenSize() const;
    // The text with each field written from clock. Where timesAt is given,
    // it receives where in out the digits of each 時分秒 field begin.
    void append(QByteArray& out, const WallClock& clock,
                std::vector<qsizetype>* timesAt = nullptr) const;
    // Writes a time of day over the digits of the 時分秒 fields that append()
    // placed at timesAt in written.
    static void writeTimesOfDay(char* written, const std::vector<qsizetype>& timesAt,
                                int secondOfDay) {
        for (const qsizetype at : timesAt)
            putTimeOfDay(written + at, secondOfDay);
    }

private:
    struct Place {
        qsizetype at;  // where in bytes_ the field stands
        DateField field;
    };
    QByteArray bytes_;  // the text without its fields
    std::vector<Place> fields_;
};
