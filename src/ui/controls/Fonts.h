#pragma once

#include <QFont>

// The windows ask for the two classic Japanese system fonts by name: a
// proportional one and a fixed-width one. Where they are not installed, the
// installed Japanese fonts stand in for them (see installFontSubstitutions).

inline constexpr const char* kProportionalGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* kFixedGothic = "ＭＳ ゴシック";

// Maps the two names onto the Japanese fonts this desktop has. Call once,
// after the application object exists.
void installFontSubstitutions();

QFont proportionalGothic(double pointSize, bool bold = false);
QFont fixedGothic(double pointSize, bool bold = false);
