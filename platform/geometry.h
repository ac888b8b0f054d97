#pragma once
// Integer rectangles given by their edges (right and bottom exclusive) and
// text extents, as the drawing code computes them.

#include <QRect>
#include <QSize>

namespace lk {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const Rect&) const = default;
};

struct Extent {
    int cx = 0, cy = 0;
    bool operator==(const Extent&) const = default;
};

}  // namespace lk
