#pragma once

#include <QByteArray>

#include <string_view>
#include <vector>

// Natural order: digit runs compare by value (leading zeros ignored), other
// bytes compare with ASCII letters taken as small letters, and names equal
// under that rule compare by their raw bytes, so that the order is total and
// the same on every machine whatever its locale. Serial numbers follow it.
int naturalCompare(std::string_view a, std::string_view b);

inline bool naturalLess(std::string_view a, std::string_view b) {
    return naturalCompare(a, b) < 0;
}
inline bool naturalLess(const QByteArray& a, const QByteArray& b) {
    return naturalCompare(std::string_view(a.constData(), size_t(a.size())),
                          std::string_view(b.constData(), size_t(b.size()))) < 0;
}

void sortNaturally(std::vector<QByteArray>& names);
