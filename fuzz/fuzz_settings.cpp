// The settings reader and writer on any bytes a settings file can hold.
// Reading never fails; a write either is refused or gives a file that reads
// back the new value with the other key as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/settings/IniText.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

bool hasLineBreakOrNul(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString section = QStringLiteral("Data");
    const QString extensionsKey = QStringLiteral("拡張子");
    const QString pathKey = QStringLiteral("パス");

    const QString extensions = iniValue(file, section, extensionsKey);
    const QString path = iniValue(file, section, pathKey);
    // The value read back is the first one; the same read gives the same text.
    check(iniValue(file, section, pathKey) == path);

    // A folder with Japanese in it, a deletion, and text taken from the input
    // itself (line breaks and all).
    const QString values[] = {QStringLiteral("/home/user/写真/2024"), QString(),
                              QString::fromUtf8(file.right(40)), path + u'x'};
    for (const QString& value : values) {
        const std::optional<QByteArray> edited = iniWithValue(file, section, pathKey, value);
        if (!edited)
            continue;
        check(!hasLineBreakOrNul(value));
        check(iniValue(*edited, section, pathKey) == (value.isNull() ? QString() : value));
        check(iniValue(*edited, section, extensionsKey) == extensions);
    }
    return 0;
}
