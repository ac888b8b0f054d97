#pragma once
// The print worker and the drawing of its sheets.
//
// Each label is drawn straight onto the sheet: one transform maps page
// picture pixels onto the sheet (a stretch to the printable area for one
// label per sheet, a quarter turn into one half of it for two), and the
// picture and the number both go through it. Drawing the same picture object
// on every sheet lets the PDF output that every print job becomes embed it
// once per job instead of once per sheet.

#include "font_description.h"
#include "print_job.h"
#include "window_handle.h"

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QTransform>

#include <cstdint>
#include <functional>

class QPainter;
class QPrinter;

// The name of every print document.
inline const QString kPrintDocumentName = QStringLiteral("Print Window");

// wParam of WM_PRINT_DONE: whether the document reached the print system.
constexpr std::uintptr_t kPrintDelivered = 0;
constexpr std::uintptr_t kPrintFailed = 1;

// The number as it is drawn on the page picture, in picture pixels: the font
// (cell height h x heightRatio, truncated) and the top-left corner of its
// cell (each coordinate computed in full and truncated once).
struct LabelNumberStyle {
    lk::FontDescription font;
    QPointF reference;
    lk::ColorRef color = 0;
};
LabelNumberStyle labelNumberStyle(const PrintJobRecord& job, int w, int h);

// The carton numbers on one sheet: `count` numbers from `first` on.
struct SheetNumbers {
    int first = 0;
    int count = 0;
};
// Sheets the job prints: none when the first number is above the last or
// labelsPerSheet is neither 1 nor 2.
long long sheetCount(const PrintJobRecord& job);
// The numbers on sheet k (counting from 0) of the job.
SheetNumbers sheetNumbers(const PrintJobRecord& job, long long k);

// The upper half's height when two labels share a sheet; the lower half
// takes the rest.
constexpr int upperHalf(int sheetHeight) { return sheetHeight / 2; }

// Maps page picture pixels onto the sheet. One label per sheet: the whole
// printable area. Two: slot 0 the upper half, slot 1 the lower half, the
// picture turned a quarter turn clockwise (its top edge down the sheet's
// right edge, its left edge along the top of its half).
QTransform labelTransform(QSize picture, QSize sheet, int labelsPerSheet, int slot);

// Draws one label through toSheet: the picture with smooth scaling, clipped
// to its own rectangle, and the number over it. An empty picture draws
// nothing.
void drawLabel(QPainter& p, const QImage& picture, const QTransform& toSheet, const LabelNumberStyle& style,
               const QString& number);

// Draws the labels of one sheet whose printable area is `sheet` device pixels.
void drawSheet(QPainter& p, const QImage& picture, QSize sheet, int labelsPerSheet, const LabelNumberStyle& style,
               SheetNumbers numbers);

enum class PrintResult {
    NotStarted,  // the document could not start: nothing was printed
    Delivered,   // the document reached the print system (or the PDF file is complete)
    Failed,      // the document started but did not reach the print system
};

// Prints the job's sheets on a printer the user has chosen: margins at the
// printer's minimum, so the painter's area is the printable area; the first
// sheet implicit, later ones on new pages. `started` runs once the document
// has started, before the first sheet; a job with no sheet starts no
// document (so nothing comes out of the printer) but still runs `started`.
PrintResult printSheets(QPrinter& printer, const QImage& picture, const PrintJobRecord& job,
                        const std::function<void()>& started = {});

// The worker thread's job: loads its own copy of the page picture, asks for
// a printer on the window's thread, disables the window's controls and
// starts the busy notice once the document has started, prints, and posts
// WM_PRINT_DONE with kPrintDelivered or kPrintFailed. A cancelled dialog or
// a document that cannot start ends without a word.
void PrintWorker(lk::WindowRef window, PrintJobRecord job, QString picturePath);
