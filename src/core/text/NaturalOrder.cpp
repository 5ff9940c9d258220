#include "core/text/NaturalOrder.h"

#include "core/text/Characters.h"

#include <algorithm>
#include <cstring>

namespace {

inline bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

}  // namespace

int naturalCompare(std::string_view a, std::string_view b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const size_t na = a.size();
    const size_t nb = b.size();
    size_t i = 0;
    size_t j = 0;
    while (i < na && j < nb) {
        const unsigned char ca = pa[i];
        const unsigned char cb = pb[j];
        if (isDigit(ca) && isDigit(cb)) {
            // Compare the two runs by value without converting them, so a run
            // of any length works: drop leading zeros, then the longer run is
            // the larger, and runs of one length compare digit by digit.
            while (i < na && pa[i] == '0')
                ++i;
            while (j < nb && pb[j] == '0')
                ++j;
            size_t ea = i;
            while (ea < na && isDigit(pa[ea]))
                ++ea;
            size_t eb = j;
            while (eb < nb && isDigit(pb[eb]))
                ++eb;
            if (ea - i != eb - j)
                return ea - i < eb - j ? -1 : 1;
            if (const int c = std::memcmp(pa + i, pb + j, ea - i))
                return sign(c);
            i = ea;
            j = eb;
            continue;
        }
        // A digit against any other byte compares as the byte itself; digits
        // are one contiguous block, so this agrees with every run comparison.
        const unsigned char fa = foldAscii(ca);
        const unsigned char fb = foldAscii(cb);
        if (fa != fb)
            return fa < fb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < na)
        return 1;
    if (j < nb)
        return -1;
    // Equal as far as the reader can tell ("IMG_1.jpg", "img_01.JPG"): the raw
    // bytes decide, so the serial numbers never depend on how readdir happened
    // to order the folder.
    if (const int c = std::memcmp(pa, pb, std::min(na, nb)))
        return sign(c);
    return na < nb ? -1 : (na > nb ? 1 : 0);
}

void sortNaturally(std::vector<QByteArray>& names) {
    std::sort(names.begin(), names.end(),
              [](const QByteArray& x, const QByteArray& y) { return naturalLess(x, y); });
}
