// Draws the application icon and the 64 by 64 logo: a carton with a shipping
// label on it. Run at build time; writes icon.png (with icon-128.png and
// icon-48.png) and logo.bmp into a folder.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

void drawMark(QPainter& p, double s) {
    p.setRenderHint(QPainter::Antialiasing, true);
    // Carton: a front face and a top face.
    const QColor kraft(196, 142, 82), kraftDark(160, 108, 58), kraftLight(222, 178, 120);
    QPainterPath top;
    top.moveTo(0.12 * s, 0.30 * s);
    top.lineTo(0.34 * s, 0.14 * s);
    top.lineTo(0.90 * s, 0.14 * s);
    top.lineTo(0.68 * s, 0.30 * s);
    top.closeSubpath();
    p.fillPath(top, kraftLight);
    QPainterPath side;
    side.moveTo(0.68 * s, 0.30 * s);
    side.lineTo(0.90 * s, 0.14 * s);
    side.lineTo(0.90 * s, 0.70 * s);
    side.lineTo(0.68 * s, 0.88 * s);
    side.closeSubpath();
    p.fillPath(side, kraftDark);
    p.fillRect(QRectF(0.12 * s, 0.30 * s, 0.56 * s, 0.58 * s), kraft);
    // Tape across the top.
    p.fillRect(QRectF(0.36 * s, 0.30 * s, 0.08 * s, 0.12 * s), QColor(120, 80, 40));
    // The label with its lines and a bold number block.
    const QRectF label(0.18 * s, 0.46 * s, 0.44 * s, 0.34 * s);
    p.fillRect(label, Qt::white);
    p.setPen(QPen(QColor(40, 40, 40), std::max(1.0, 0.015 * s)));
    p.drawRect(label);
    for (int i = 0; i < 3; ++i)
        p.fillRect(QRectF(0.22 * s, (0.51 + 0.07 * i) * s, 0.22 * s, 0.03 * s), QColor(60, 60, 60));
    p.fillRect(QRectF(0.48 * s, 0.50 * s, 0.10 * s, 0.26 * s), QColor(0, 0, 230));
}

}  // namespace

int main(int argc, char** argv) {
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    // The window icon (icon.png, 256 pixels) and the smaller sizes a desktop's
    // application menu picks from, each drawn at its own size.
    for (int size : {256, 128, 48}) {
        QImage icon(size, size, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        {
            QPainter p(&icon);
            drawMark(p, size);
        }
        const QString name = size == 256 ? QStringLiteral("icon.png") : QStringLiteral("icon-%1.png").arg(size);
        if (!icon.save(out.filePath(name))) return 1;
    }

    QImage logo(64, 64, QImage::Format_RGB888);  // 24-bit, on the dialogs' grey
    logo.fill(QColor(240, 240, 240));
    {
        QPainter p(&logo);
        drawMark(p, 64);
    }
    if (!logo.save(out.filePath(QStringLiteral("logo.bmp")))) return 1;
    return 0;
}
