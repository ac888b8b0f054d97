#pragma once
// The carton number's font and the point its text is drawn from. The preview
// and the print both use these, so screen and paper cannot drift apart.

#include "color_ref.h"
#include "font_description.h"

#include <QPointF>
#include <QString>

class QPainter;

// Bold, sans-serif, the cell as tall as cellHeight; direction 1 turns the
// text to read from top to bottom with the glyph tops facing right.
lk::FontDescription numberFont(const QString& face, int cellHeight, int direction);

// The top-left corner of the text's cell for a number rectangle whose
// top-left corner is (left, top) and whose text is textHeight tall. Turned
// text hangs to the left of its reference point, so the reference lies on the
// rectangle's right edge.
QPointF numberReference(int direction, double left, double top, double textHeight);

// Draws the number in its colour with a transparent background.
void drawNumber(QPainter& p, const lk::FontDescription& font, QPointF reference, const QString& text,
                lk::ColorRef color);
