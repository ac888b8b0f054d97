#include "number_font.h"

#include <QPainter>

lk::FontDescription numberFont(const QString& face, int cellHeight, int direction) {
    lk::FontDescription d;
    d.cellHeight = cellHeight;
    d.weight = 700;
    d.escapement = direction == 1 ? 2700 : 0;
    d.face = face;
    d.swiss = true;
    return d;
}

QPointF numberReference(int direction, double left, double top, double textHeight) {
    return direction == 1 ? QPointF(left + textHeight, top) : QPointF(left, top);
}

void drawNumber(QPainter& p, const lk::FontDescription& font, QPointF reference, const QString& text,
                lk::ColorRef color) {
    p.save();
    p.setPen(lk::toQColor(color));
    p.setBackgroundMode(Qt::TransparentMode);
    lk::drawText(p, font, reference, text);
    p.restore();
}
