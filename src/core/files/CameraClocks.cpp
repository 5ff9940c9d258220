#include "core/files/CameraClocks.h"

#include "core/settings/Settings.h"
#include "core/text/Characters.h"
#include "core/text/NativeName.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace {

constexpr qint64 kMsecsPerSecond = 1000;
constexpr qint64 kSecondsPerDay = 24 * 60 * 60;
// The most the dialog's boxes can show: a kept offset beyond it is not one
// the program wrote.
constexpr qint64 kMostOffsetSeconds = kMostOffsetDays * kSecondsPerDay + kSecondsPerDay - 1;

QString section() {
    return QString::fromUtf16(kClockOffsetSection);
}

bool isKeptAsIs(char c, bool atEdge) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    if (c == ' ')
        return !atEdge;  // the file trims blanks around a key
    return std::string_view("-_.,()/+:&'!*@~").find(c) != std::string_view::npos;
}

void appendEncoded(QString& key, const QByteArray& part) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (qsizetype k = 0; k < part.size(); ++k) {
        const char c = part[k];
        if (isKeptAsIs(c, k == 0 || k == part.size() - 1)) {
            key += QLatin1Char(c);
        } else {
            key += u'%';
            key += QLatin1Char(kHex[uchar(c) >> 4]);
            key += QLatin1Char(kHex[uchar(c) & 0xF]);
        }
    }
}

QString foldedKey(const QString& key) {
    QString folded = key;
    for (QChar& c : folded)
        c = QChar(foldAscii(c.unicode()));
    return folded;
}

// A kept value: an optional sign and digits, whole seconds within the
// dialog's reach; anything else keeps no offset.
std::optional<qint64> secondsFromText(const QString& text) {
    bool ok = false;
    const qint64 seconds = text.trimmed().toLongLong(&ok);
    if (!ok || seconds < -kMostOffsetSeconds || seconds > kMostOffsetSeconds)
        return std::nullopt;
    return seconds;
}

// The value of one box: empty is 0; digits only, up to most.
std::optional<qint64> fieldValue(const QString& text, qint64 most) {
    const QString trimmed = text.trimmed();
    if (trimmed.size() > 9)  // no overflow below
        return std::nullopt;
    qint64 value = 0;
    for (const QChar c : trimmed) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (u >= u'０' && u <= u'９')
            digit = u - u'０';
        if (digit < 0)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (value > most)
        return std::nullopt;
    return value;
}

}  // namespace

QString cameraKey(const Camera& camera) {
    QString key;
    appendEncoded(key, camera.make());
    key += u'|';
    appendEncoded(key, camera.model());
    key += u'|';
    appendEncoded(key, camera.serial());
    return key;
}

QString cameraDisplayName(const Camera& camera) {
    const QString make = displayName(camera.make());
    const QString model = displayName(camera.model());
    const QString makeWord = make.section(u' ', 0, 0);
    QString name;
    if (model.isEmpty())
        name = make;
    else if (make.isEmpty() || model.startsWith(makeWord, Qt::CaseInsensitive))
        name = model;
    else
        name = make + u' ' + model;
    if (!camera.serial().isEmpty())
        name += (name.isEmpty() ? QStringLiteral("(") : QStringLiteral(" (")) +
                displayName(camera.serial()) + u')';
    return name;
}

StoredClockOffsets StoredClockOffsets::read() {
    StoredClockOffsets offsets;
    for (const auto& [key, value] : readSettingsSection(section())) {
        const QString folded = foldedKey(key);
        const std::optional<qint64> seconds = secondsFromText(value);
        // Of a key given twice (in any letter case) the first one counts, as
        // everywhere in the file.
        if (seconds && !offsets.msecsByKey_.contains(folded))
            offsets.msecsByKey_.insert(folded, *seconds * kMsecsPerSecond);
    }
    return offsets;
}

qint64 StoredClockOffsets::msecsFor(const Camera& camera) const {
    if (!camera.isKnown() || msecsByKey_.isEmpty())
        return 0;
    return msecsByKey_.value(foldedKey(cameraKey(camera)), 0);
}

bool storeClockOffsets(const std::vector<std::pair<Camera, qint64>>& msecsByCamera) {
    std::vector<std::pair<QString, QString>> values;
    for (const auto& [camera, msecs] : msecsByCamera) {
        if (!camera.isKnown())
            continue;
        const qint64 seconds = msecs / kMsecsPerSecond;
        values.emplace_back(cameraKey(camera), seconds == 0 ? QString() : QString::number(seconds));
    }
    return values.empty() || writeSettingsSection(section(), values);
}

std::vector<ClockGroup> clockGroups(const std::vector<Shot>& shots) {
    std::vector<ClockGroup> groups;
    size_t last = 0;
    for (const Shot& shot : shots) {
        for (const ListedFile& file : shot.members) {
            if (!file.time.isKnown())
                continue;
            const ShootingTime& time = file.time;
            // Photos come in runs from one camera: the last group is asked first.
            if (groups.empty() || !(groups[last].camera == time.camera)) {
                last = size_t(std::find_if(groups.begin(), groups.end(),
                                           [&time](const ClockGroup& group) {
                                               return group.camera == time.camera;
                                           }) -
                              groups.begin());
                if (last == groups.size())
                    groups.push_back(
                        {time.camera, 0, time.localMsecs, time.localMsecs, time.clockOffsetMsecs});
            }
            ClockGroup& group = groups[last];
            ++group.fileCount;
            group.firstMsecs = std::min(group.firstMsecs, time.localMsecs);
            group.lastMsecs = std::max(group.lastMsecs, time.localMsecs);
        }
    }
    std::stable_sort(groups.begin(), groups.end(), [](const ClockGroup& a, const ClockGroup& b) {
        if (a.camera.isKnown() != b.camera.isKnown())
            return a.camera.isKnown();
        if (a.firstMsecs != b.firstMsecs)
            return a.firstMsecs < b.firstMsecs;
        return cameraDisplayName(a.camera) < cameraDisplayName(b.camera);
    });
    return groups;
}

void applyClockOffsets(std::vector<Shot>& shots, const std::vector<ClockGroup>& groups) {
    const ClockGroup* last = nullptr;
    for (Shot& shot : shots) {
        for (ListedFile& file : shot.members) {
            if (!file.time.isKnown())
                continue;
            ShootingTime& time = file.time;
            if (!last || !(last->camera == time.camera)) {
                const auto found = std::find_if(
                    groups.begin(), groups.end(),
                    [&time](const ClockGroup& group) { return group.camera == time.camera; });
                last = found == groups.end() ? nullptr : &*found;
            }
            if (last)
                time.clockOffsetMsecs = last->offsetMsecs;
        }
    }
}

std::variant<qint64, OffsetField> clockOffsetFrom(const ClockOffsetText& text) {
    const std::optional<qint64> days = fieldValue(text.days, kMostOffsetDays);
    if (!days)
        return OffsetField::Days;
    const std::optional<qint64> hours = fieldValue(text.hours, 23);
    if (!hours)
        return OffsetField::Hours;
    const std::optional<qint64> minutes = fieldValue(text.minutes, 59);
    if (!minutes)
        return OffsetField::Minutes;
    const std::optional<qint64> seconds = fieldValue(text.seconds, 59);
    if (!seconds)
        return OffsetField::Seconds;
    const qint64 total = ((*days * 24 + *hours) * 60 + *minutes) * 60 + *seconds;
    return (text.negative ? -total : total) * kMsecsPerSecond;
}

ClockOffsetText clockOffsetText(qint64 msecs) {
    ClockOffsetText text;
    text.negative = msecs < 0;
    const qint64 seconds = (msecs < 0 ? -msecs : msecs) / kMsecsPerSecond;
    text.days = QString::number(seconds / kSecondsPerDay);
    text.hours = QString::number(seconds / 3600 % 24);
    text.minutes = QString::number(seconds / 60 % 60);
    text.seconds = QString::number(seconds % 60);
    return text;
}
