#pragma once

#include "core/files/Shots.h"

#include <QHash>
#include <QString>

#include <utility>
#include <variant>
#include <vector>

// Camera clocks that are off. The user says, camera by camera, how much to
// add to the times its clock wrote; the list then uses the corrected times
// for its shooting order and its tooltips. The photos themselves are never
// written to. A camera's offset is kept in the settings file, so that the
// same body's next card is corrected too.

// The settings file's section of the offsets: one key per camera (see
// cameraKey), its value the offset in whole seconds ("3600", "-90").
inline constexpr char16_t kClockOffsetSection[] = u"カメラの時計";

// The key of camera in that section: its make, model and serial number
// joined by "|", each byte that the settings file could take for part of
// its syntax (= ; # [ ] " \ | %, a space at either end of a part, control
// characters) or that is not ASCII written as %XX. Distinct cameras get
// distinct keys, except two whose names differ only in the case of ASCII
// letters: the file's keys ignore that case.
QString cameraKey(const Camera& camera);

// The camera as the user knows it, "Canon EOS R5 (012345678)": the model
// alone where it starts with the make's first word (most do), else make
// and model, and the serial number in brackets where there is one.
QString cameraDisplayName(const Camera& camera);

// The offsets kept in the settings file, read once, for the readers of a
// whole list to look up without touching the file again (they run off the
// window's thread, which alone reads the settings).
class StoredClockOffsets {
public:
    static StoredClockOffsets read();
    // Milliseconds to add to a time camera wrote; 0 for no offset kept, a
    // value that is not a whole number of seconds, or no camera.
    qint64 msecsFor(const Camera& camera) const;

private:
    QHash<QString, qint64>
        msecsByKey_;  // keys with ASCII letters folded, as the file compares them
};

// Keeps each camera's offset in the settings file in one write (an offset
// of 0 removes the camera's key); files without a camera have no key and
// are passed over. False when the file could not be written.
bool storeClockOffsets(const std::vector<std::pair<Camera, qint64>>& msecsByCamera);

// The listed files one clock wrote the times of: a camera's, or, for the
// group with no camera, those whose time is the file's own (or whose Exif
// names no camera).
struct ClockGroup {
    Camera camera;
    int fileCount = 0;
    qint64 firstMsecs = 0;  // as the clock wrote them
    qint64 lastMsecs = 0;
    qint64 offsetMsecs = 0;  // what the group's files are corrected by now
};

// Every clock among the shots' files whose time is known: the cameras in the
// order of their first photo, the group with no camera last.
std::vector<ClockGroup> clockGroups(const std::vector<Shot>& shots);

// Gives every file of the shots with a known time its group's offset.
void applyClockOffsets(std::vector<Shot>& shots, const std::vector<ClockGroup>& groups);

// An offset as the user types it: a sign, then days (up to kMostOffsetDays),
// hours (up to 23), minutes and seconds (up to 59), each box holding digits
// (half- or full-width, as an input method may give them) or nothing, which
// counts as 0.
struct ClockOffsetText {
    bool negative = false;
    QString days;
    QString hours;
    QString minutes;
    QString seconds;

    bool operator==(const ClockOffsetText&) const = default;
};
inline constexpr int kMostOffsetDays = 9999;

enum class OffsetField { Days, Hours, Minutes, Seconds };

// The offset in milliseconds, or the first box that does not hold a number
// in its range.
std::variant<qint64, OffsetField> clockOffsetFrom(const ClockOffsetText& text);

// The boxes for an offset of whole seconds; a zero offset as "+" and zeros.
ClockOffsetText clockOffsetText(qint64 msecs);
