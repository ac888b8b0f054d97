#pragma once
// Fonts described by explicit parameters: the cell height in pixels (ascent
// plus descent), the weight, the escapement and the face. Text is placed by
// the top-left corner of its cell; escapement 2700 turns it to read from top
// to bottom with the glyph tops facing right, the cell lying left of and below
// the reference point.

#include <QFont>
#include <QPointF>
#include <QSize>
#include <QString>

class QPainter;

namespace lk {

struct FontDescription {
    int cellHeight = 0;    // pixels
    int weight = 400;      // 700 is bold
    int escapement = 0;    // tenths of a degree: 0 or 2700
    QString face;
    bool swiss = true;     // sans-serif family, used when the face is not installed
};

// Maps the face names of the other desktop that are not installed here to an
// installed face that covers Chinese; other names pass unchanged.
QString mapFaceName(const QString& face);

// The font whose ascent + descent equals the cell height (within one pixel).
QFont makeFont(const FontDescription& d);

// Advance width of the text by the font's cell height, measured as drawn.
QSize textExtent(const FontDescription& d, const QString& text);

// Draws the text with the top-left corner of its cell at the reference point
// (in the painter's current coordinates), turned by the escapement.
void drawText(QPainter& p, const FontDescription& d, QPointF reference, const QString& text);

}  // namespace lk
