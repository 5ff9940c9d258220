#include "core/rename/DateFields.h"

#include "core/text/NativeName.h"

#include <algorithm>

namespace {

// Writes value in decimal, padded with "0" on the left to width, at to (room
// for 12 characters); returns where it ends.
char* putDigits(char* to, int value, int width) {
    if (value < 0)
        *to++ = '-';
    unsigned magnitude = value < 0 ? 0U - unsigned(value) : unsigned(value);
    char digits[10];
    int n = int(sizeof digits);
    do {
        digits[--n] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    for (int length = int(sizeof digits) - n; length < width; ++length)
        *to++ = '0';
    while (n < int(sizeof digits))
        *to++ = digits[n++];
    return to;
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
    clock.day = dayOf(localMsecs);
    qint64 rest = localMsecs % kMsecsPerDay;
    if (rest < 0)
        rest += kMsecsPerDay;
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

bool NameText::showsTime() const {
    return std::any_of(fields_.begin(), fields_.end(),
                       [](const Place& place) { return place.field == DateField::Time; });
}

qsizetype NameText::writtenSize() const {
    qsizetype size = bytes_.size();
    for (const Place& place : fields_)
        size += ::writtenSize(place.field);
    return size;
}

void NameText::append(QByteArray& out, const WallClock& clock,
                      std::vector<qsizetype>* timesAt) const {
    if (timesAt)
        timesAt->clear();
    qsizetype from = 0;
    for (const Place& place : fields_) {
        out.append(bytes_.constData() + from, place.at - from);
        from = place.at;
        // Written whole first: one append a field, not one a digit.
        char written[40];
        char* end = written;
        switch (place.field) {
            case DateField::Date:
            case DateField::DashedDate: {
                const bool dashed = place.field == DateField::DashedDate;
                end = putDigits(end, clock.year, 4);
                if (dashed)
                    *end++ = '-';
                end = putDigits(end, clock.month, 2);
                if (dashed)
                    *end++ = '-';
                end = putDigits(end, clock.dayOfMonth, 2);
                break;
            }
            case DateField::Time:
                if (timesAt)
                    timesAt->push_back(out.size());
                end = putDigits(end, clock.hour, 2);
                end = putDigits(end, clock.minute, 2);
                end = putDigits(end, clock.second, 2);
                break;
        }
        out.append(written, end - written);
    }
    out.append(bytes_.constData() + from, bytes_.size() - from);
}
