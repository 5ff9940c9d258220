#include "core/rename/NameKeys.h"

#include "core/text/NativeName.h"

#include <QString>

namespace {

std::string_view viewOf(QByteArrayView bytes) {
    return std::string_view(bytes.data(), size_t(bytes.size()));
}

}  // namespace

std::string_view NameKeys::key(QByteArrayView name) {
    if (!ignoresCase_)
        return viewOf(name);
    bool ascii = true;
    bool upper = false;
    for (const char c : name) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
        upper = upper || (c >= 'A' && c <= 'Z');
    }
    // Camera names are plain ASCII: most need no copy at all.
    if (ascii && !upper)
        return viewOf(name);
    QByteArray folded = name.toByteArray();
    if (!ascii && isValidUtf8(folded)) {
        folded = QString::fromUtf8(folded).toCaseFolded().toUtf8();
    } else {
        // Bytes that are not UTF-8 have no letters the card could fold but
        // ASCII ones; decoding them would make distinct names look alike.
        for (char& c : folded) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        }
    }
    folded_.push_back(std::move(folded));
    return viewOf(folded_.back());
}
