#pragma once
// Helpers shared by the printing tests: a page picture with a marked corner,
// print jobs, ink searches and PDF pages read back with poppler.

#include "print_job.h"

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

// A white page picture with a blue square in its top-left corner, so that a
// sheet shows which way the label was turned.
QImage markedPicture(int w, int h);

// A job with the number rectangle at its start place (235, 332) and a text
// 50 pixels tall in a 470 by 665 preview, printed in red.
PrintJobRecord testJob(int first, int last, int labelsPerSheet, int direction);

bool isRed(QRgb c);
bool isBlue(QRgb c);

// The pages of a PDF file rendered at the resolution (empty when the file
// cannot be read), and the number of its pages.
std::vector<QImage> pdfPages(const QString& path, double dpi);

// The rectangle of the sheet that the number's character cell covers on
// label `slot`: the cell in picture pixels (upright: the advance wide and the
// cell height tall from the reference point; turned: the cell height wide to
// the left of it and the advance tall), mapped onto the sheet.
QRectF numberCellOnSheet(const PrintJobRecord& job, QSize picture, QSize sheet, int slot, const QString& number);

// Bounding boxes of red ink in each half of a sheet image (upper, lower).
struct HalfInk {
    QRect upper, lower;
};
HalfInk redInkByHalf(const QImage& sheet);
