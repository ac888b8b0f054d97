#pragma once
// Colours as 0x00BBGGRR values, the form the settings and print jobs keep.

#include <QColor>

#include <cstdint>

namespace lk {

using ColorRef = std::uint32_t;

constexpr ColorRef rgbRef(int r, int g, int b) {
    return static_cast<ColorRef>(r & 0xFF) | (static_cast<ColorRef>(g & 0xFF) << 8) |
           (static_cast<ColorRef>(b & 0xFF) << 16);
}

inline QColor toQColor(ColorRef c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

inline ColorRef toColorRef(const QColor& c) { return rgbRef(c.red(), c.green(), c.blue()); }

}  // namespace lk
