// The Exif reader on any bytes a photo file can hold: it never throws, never
// crashes, never writes through std::cerr (the metadata library's log goes
// there), and a time it gives is a real date that its own text reads back as.
// The same bytes also go to the date parser directly, as a tag's text.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string_view>

#include "core/photo/ShootingTime.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

// What formatShootingTime shows, read back as Exif text: the same time, less
// its sub-seconds.
void checkTime(qint64 msecs) {
    // 0001-01-01T00:00 and 10000-01-01T00:00 as naive msecs
    check(msecs >= -62135596800000LL && msecs < 253402300800000LL);
    QByteArray text = formatShootingTime(msecs).toLatin1();
    check(text.size() == 19);
    text[4] = ':';
    text[7] = ':';
    const std::optional<qint64> back = exifTimeFromText(std::string_view(text.constData(), 19));
    check(back.has_value());
    const qint64 subSeconds = ((msecs % 1000) + 1000) % 1000;
    check(*back == msecs - subSeconds);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    initializePhotoMetadata();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);

    std::ostringstream log;
    std::streambuf* saved = std::cerr.rdbuf(log.rdbuf());
    const std::optional<qint64> time = exifShootingTimeFromBytes(bytes, size);
    std::cerr.rdbuf(saved);
    check(log.str().empty());
    if (time)
        checkTime(*time);

    // As tag text: the date from the first bytes, the sub-seconds after it.
    const std::string_view all(bytes, size);
    const size_t cut = size < 24 ? size : 24;
    if (const std::optional<qint64> parsed = exifTimeFromText(all.substr(0, cut), all.substr(cut)))
        checkTime(*parsed);
    return 0;
}
