#pragma once

#include <QByteArray>

#include <string_view>
#include <vector>

// The listing behind the file list, on native bytes and without Qt's own
// directory classes (they skip names that are not valid UTF-8).

// A parsed ";"-separated pattern list. Patterns use "*" and "?" ("?" is one
// character, not one byte), match without regard to ASCII letter case, and a
// final ".*" also matches a name without any dot, as "*.*" matches every file.
class PatternSet {
public:
    explicit PatternSet(const QByteArray& patterns);
    bool matches(std::string_view name) const;

private:
    std::vector<QByteArray> patterns_;
};

// Natural order: digit runs compare by value (leading zeros ignored), other
// bytes compare with ASCII letters taken as lower case, and names equal under
// that rule compare by their raw bytes, so the order is total and the same on
// every machine whatever its locale.
int naturalCompare(std::string_view a, std::string_view b);
inline bool naturalLess(std::string_view a, std::string_view b) {
    return naturalCompare(a, b) < 0;
}

// The names of the regular, non-hidden files of folder that match patterns, in
// natural order. On failure returns an empty list and sets *error to errno.
std::vector<QByteArray> listMatchingFiles(const QByteArray& folder, const PatternSet& patterns,
                                          int* error = nullptr);
