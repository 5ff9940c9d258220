#include "core/rename/DateFields.h"

#include "core/text/NativeName.h"

#include <algorithm>

namespace {

constexpr qint64 kMsecsPerDay = 24 * 60 * 60 * 1000;

// Writes value in decimal, padded with "0" on the left to width.
void appendDigits(QByteArray& out, qint64 value, int width) {
    if (value < 0) {
        out += '-';
        value = -value;
    }
    char digits[20];
    int n = int(sizeof digits);
    do {
        digits[--n] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    const int length = int(sizeof digits) - n;
    if (width > length)
        out.append(qsizetype(width - length), '0');
    out.append(digits + n, length);
}

// What a field writes with a year of four digits.
qsizetype writtenSize(DateField field) {
    switch (field) {
        case DateField::Date:
            return 8;
        case DateField::DashedDate:
            return 10;
        case DateField::Time:
            return 6;
    }
    return 0;
}

}  // namespace

QStringView dateFieldText(DateField field) {
    switch (field) {
        case DateField::Date:
            return u"<年月日>";
        case DateField::DashedDate:
            return u"<年-月-日>";
        case DateField::Time:
            return u"<時分秒>";
    }
    return {};
}

std::optional<DateField> dateFieldAt(QStringView text, qsizetype at) {
    if (at < 0 || at >= text.size() || text[at] != u'<')
        return std::nullopt;
    for (const DateField field : kDateFields) {
        if (text.sliced(at).startsWith(dateFieldText(field)))
            return field;
    }
    return std::nullopt;
}

WallClock wallClock(qint64 localMsecs) {
    WallClock clock;
    // Whole days rounded down, so that a time before 1970 falls on its own day.
    clock.day = localMsecs / kMsecsPerDay;
    qint64 rest = localMsecs % kMsecsPerDay;
    if (rest < 0) {
        rest += kMsecsPerDay;
        --clock.day;
    }
    const int seconds = int(rest / 1000);
    clock.hour = seconds / 3600;
    clock.minute = seconds / 60 % 60;
    clock.second = seconds % 60;
    // Counted in eras of 400 years from 0000-03-01, so that each leap day
    // ends its year (H. Hinnant's civil_from_days).
    const qint64 shifted = clock.day + 719468;
    const qint64 era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const qint64 dayOfEra = shifted - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 monthFromMarch = (5 * dayOfYear + 2) / 153;
    clock.dayOfMonth = int(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    clock.month = int(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    clock.year = int(yearOfEra + era * 400 + (clock.month <= 2 ? 1 : 0));
    return clock;
}

NameText::NameText(const QString& text) {
    qsizetype literalFrom = 0;
    for (qsizetype at = 0; at < text.size();) {
        const std::optional<DateField> field = dateFieldAt(text, at);
        if (!field) {
            ++at;
            continue;
        }
        // A field starts with "<", which never ends half a character: the
        // pieces between the fields turn into the bytes the whole would.
        bytes_ += toNative(text.sliced(literalFrom, at - literalFrom));
        fields_.push_back({bytes_.size(), *field});
        at += dateFieldText(*field).size();
        literalFrom = at;
    }
    bytes_ += toNative(text.sliced(literalFrom));
}

bool NameText::showsDay() const {
    return std::any_of(fields_.begin(), fields_.end(),
                       [](const Place& place) { return place.field != DateField::Time; });
}

qsizetype NameText::writtenSize() const {
    qsizetype size = bytes_.size();
    for (const Place& place : fields_)
        size += ::writtenSize(place.field);
    return size;
}

void NameText::append(QByteArray& out, const WallClock& clock) const {
    qsizetype from = 0;
    for (const Place& place : fields_) {
        out.append(bytes_.constData() + from, place.at - from);
        from = place.at;
        switch (place.field) {
            case DateField::Date:
            case DateField::DashedDate: {
                const bool dashed = place.field == DateField::DashedDate;
                appendDigits(out, clock.year, 4);
                if (dashed)
                    out += '-';
                appendDigits(out, clock.month, 2);
                if (dashed)
                    out += '-';
                appendDigits(out, clock.dayOfMonth, 2);
                break;
            }
            case DateField::Time:
                appendDigits(out, clock.hour, 2);
                appendDigits(out, clock.minute, 2);
                appendDigits(out, clock.second, 2);
                break;
        }
    }
    out.append(bytes_.constData() + from, bytes_.size() - from);
}
