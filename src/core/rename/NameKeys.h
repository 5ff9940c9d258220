#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <string_view>
#include <vector>

// File names as the folder that holds them compares them: their own bytes,
// or, on a file system that ignores letter case (a camera card), their
// case-folded form. Keys are views: into the name itself where no folding
// changes it, else into a folded copy kept here, so a folder of tens of
// thousands of names is not copied.
class NameKeys {
public:
    explicit NameKeys(bool ignoresCase) : ignoresCase_(ignoresCase) {}

    bool ignoresCase() const { return ignoresCase_; }

    // Valid while this object and the bytes of name live.
    std::string_view key(QByteArrayView name);

private:
    bool ignoresCase_;
    std::vector<QByteArray> folded_;  // moved on growth: their bytes stay where they are
};
