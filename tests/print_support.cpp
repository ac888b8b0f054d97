#include "print_support.h"

#include "font_description.h"
#include "print_worker.h"
#include "test_support.h"

#include <QPainter>

#include <poppler-qt6.h>

QImage markedPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.fillRect(QRect(0, 0, w / 8, w / 8), QColor(0, 0, 255));
    return img;
}

PrintJobRecord testJob(int first, int last, int labelsPerSheet, int direction) {
    PrintJobRecord j;
    j.fontColor = lk::rgbRef(230, 0, 0);
    j.fontFace = QStringLiteral("DejaVu Sans");
    j.firstNumber = first;
    j.lastNumber = last;
    j.labelsPerSheet = labelsPerSheet;
    j.xRatio = 235.0 / 470;
    j.yRatio = 332.0 / 665;
    j.heightRatio = 50.0 / 665;
    j.textDirection = direction;
    return j;
}

bool isRed(QRgb c) { return qRed(c) > 150 && qGreen(c) < 120 && qBlue(c) < 120; }
bool isBlue(QRgb c) { return qBlue(c) > 150 && qRed(c) < 120 && qGreen(c) < 120; }

std::vector<QImage> pdfPages(const QString& path, double dpi) {
    // Ghostscript's output draws text in Type 3 fonts that poppler renders
    // well but complains about; keep the test output quiet.
    Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
    std::vector<QImage> pages;
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::load(path);
    if (!doc || doc->isLocked()) return pages;
    for (int i = 0; i < doc->numPages(); ++i) {
        std::unique_ptr<Poppler::Page> page = doc->page(i);
        pages.push_back(page ? page->renderToImage(dpi, dpi).convertToFormat(QImage::Format_RGB32) : QImage());
    }
    return pages;
}

HalfInk redInkByHalf(const QImage& sheet) {
    const int half = sheet.height() / 2;
    return {inkBounds(sheet, QRect(0, 0, sheet.width(), half), isRed),
            inkBounds(sheet, QRect(0, half, sheet.width(), sheet.height() - half), isRed)};
}

QRectF numberCellOnSheet(const PrintJobRecord& job, QSize picture, QSize sheet, int slot, const QString& number) {
    const LabelNumberStyle style = labelNumberStyle(job, picture.width(), picture.height());
    const QSize extent = lk::textExtent(style.font, number);
    const QPointF r = style.reference;
    const QRectF cell = job.textDirection == 1 ? QRectF(r.x() - extent.height(), r.y(), extent.height(), extent.width())
                                               : QRectF(r.x(), r.y(), extent.width(), extent.height());
    return labelTransform(picture, sheet, job.labelsPerSheet, slot).mapRect(cell);
}
