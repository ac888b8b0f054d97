#include "print_worker.h"

#include "busy_notice.h"
#include "decimal_text.h"
#include "dialog_window.h"
#include "larkspan_dlg.h"
#include "number_font.h"
#include "picture.h"
#include "user_dialogs.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <cups/cups.h>

#include <algorithm>
#include <memory>

LabelNumberStyle labelNumberStyle(const PrintJobRecord& job, int w, int h) {
    LabelNumberStyle s;
    s.font = numberFont(job.fontFace, static_cast<int>(h * job.heightRatio), job.textDirection);
    // The reference point in full precision first, then one truncation per
    // coordinate: the turned text's x is trunc(w*xRatio + h*heightRatio),
    // not the sum of two truncated terms.
    const QPointF exact = numberReference(job.textDirection, w * job.xRatio, h * job.yRatio, h * job.heightRatio);
    s.reference = QPointF(static_cast<int>(exact.x()), static_cast<int>(exact.y()));
    s.color = job.fontColor;
    return s;
}

long long sheetCount(const PrintJobRecord& job) {
    const int per = job.labelsPerSheet;
    if ((per != 1 && per != 2) || job.firstNumber > job.lastNumber) return 0;
    const long long labels = static_cast<long long>(job.lastNumber) - job.firstNumber + 1;
    return (labels + per - 1) / per;
}

SheetNumbers sheetNumbers(const PrintJobRecord& job, long long k) {
    const long long first = job.firstNumber + k * job.labelsPerSheet;
    const long long left = static_cast<long long>(job.lastNumber) - first + 1;
    return {static_cast<int>(first), static_cast<int>(std::clamp<long long>(left, 0, job.labelsPerSheet))};
}

QTransform labelTransform(QSize picture, QSize sheet, int labelsPerSheet, int slot) {
    const double w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0) return QTransform();
    const double pw = sheet.width(), ph = sheet.height();
    if (labelsPerSheet != 2) return QTransform::fromScale(pw / w, ph / h);
    // The points the picture's top-left, top-right and bottom-left corners
    // land on; the bottom-right follows.
    const double half = upperHalf(sheet.height());
    const QPointF topLeft = slot == 0 ? QPointF(pw, 0) : QPointF(pw, half);
    const QPointF topRight = slot == 0 ? QPointF(pw, half) : QPointF(pw, ph);
    const QPointF bottomLeft = slot == 0 ? QPointF(0, 0) : QPointF(0, half);
    const QPointF alongX = (topRight - topLeft) / w;
    const QPointF alongY = (bottomLeft - topLeft) / h;
    return QTransform(alongX.x(), alongX.y(), alongY.x(), alongY.y(), topLeft.x(), topLeft.y());
}

void drawLabel(QPainter& p, const QImage& picture, const QTransform& toSheet, const LabelNumberStyle& style,
               const QString& number) {
    if (picture.isNull()) return;
    p.save();
    p.setTransform(toSheet, true);
    const QRect area = picture.rect();
    p.setClipRect(area, Qt::IntersectClip);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.drawImage(QRectF(area), picture);
    drawNumber(p, style.font, style.reference, number, style.color);
    p.restore();
}

void drawSheet(QPainter& p, const QImage& picture, QSize sheet, int labelsPerSheet, const LabelNumberStyle& style,
               SheetNumbers numbers) {
    if (labelsPerSheet != 1 && labelsPerSheet != 2) return;
    const int labels = std::min(numbers.count, labelsPerSheet);
    for (int slot = 0; slot < labels; ++slot)
        drawLabel(p, picture, labelTransform(picture.size(), sheet, labelsPerSheet, slot), style,
                  intToDecimal(numbers.first + slot));
}

namespace {

// A complete PDF file ends with its end-of-file marker; a file cut short
// (disk full, a device that takes no data) does not.
bool completePdfFile(const QString& path) {
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly) || f.size() < 16) return false;
    f.seek(f.size() - std::min<qint64>(f.size(), 64));
    return f.readAll().contains("%%EOF");
}

// Whether the document that just ended reached its destination. Qt hands a
// CUPS job over when the painter ends and keeps the print system's answer to
// itself; libcups keeps the last answer for the calling thread.
bool delivered(const QPrinter& printer) {
    if (printer.printerState() == QPrinter::Error) return false;
    if (!printer.outputFileName().isEmpty()) return completePdfFile(printer.outputFileName());
    return cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE;
}

// The controls a print job takes away from the user, in the order they go.
constexpr int kBusyControls[] = {
    ctl::kImportFile, ctl::kFontColor, ctl::kPreview,  ctl::kNextPage,  ctl::kPreviousPage, ctl::kPrint,
    ctl::kFontFace,   ctl::kFontSize,  ctl::kRangeFrom, ctl::kRangeTo, ctl::kDirection,
};

void enterBusyState(lk::DialogWindow& w) {
    for (int id : kBusyControls) w.enableControl(id, false);
    StartBusyNotice(w);
}

// The picture as the sheets show it: colour values only, any alpha ignored.
QImage opaque(const QImage& img) {
    if (img.isNull() || !img.hasAlphaChannel()) return img;
    QImage copy = img.convertToFormat(QImage::Format_ARGB32);
    copy.reinterpretAsFormat(QImage::Format_RGB32);
    return copy;
}

}  // namespace

PrintResult printSheets(QPrinter& printer, const QImage& picture, const PrintJobRecord& job,
                        const std::function<void()>& started) {
    printer.setDocName(kPrintDocumentName);
    printer.setFullPage(false);
    // Qt's default margins are its own; the printer's minimum makes the
    // painter's area the printable area, its origin that area's top-left.
    const QPageLayout layout = printer.pageLayout();
    printer.setPageMargins(layout.minimumMargins(), layout.units());

    const long long sheets = sheetCount(job);
    if (sheets == 0) {
        // Starting a document would put a blank sheet out of the printer.
        if (started) started();
        return PrintResult::Delivered;
    }
    QPainter p;
    if (!p.begin(&printer)) return PrintResult::NotStarted;
    if (started) started();

    const QSize sheet(printer.width(), printer.height());
    const LabelNumberStyle style = labelNumberStyle(job, picture.width(), picture.height());
    bool pagesOk = true;
    for (long long k = 0; k < sheets; ++k) {
        if (k > 0 && !printer.newPage()) pagesOk = false;
        drawSheet(p, picture, sheet, job.labelsPerSheet, style, sheetNumbers(job, k));
    }
    const bool ended = p.end();
    return ended && pagesOk && delivered(printer) ? PrintResult::Delivered : PrintResult::Failed;
}

void PrintWorker(lk::WindowRef window, PrintJobRecord job, QString picturePath) {
    lk::Picture picture;
    if (!picture.load(picturePath))
        lk::showMessage(nullptr, QStringLiteral("failure"), lk::MessageButtons::Ok, QStringLiteral("print"));
    const QImage image = opaque(picture.image());
    picture.destroy();
    if (!window) return;

    // The printer object and its dialog belong to the window's thread; the
    // worker waits while the dialog is open and then paints from here.
    std::unique_ptr<QPrinter> printer;
    bool accepted = false;
    window->runOnWindowThread([&](lk::DialogWindow& w) {
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setDocName(kPrintDocumentName);
        accepted = lk::userDialogs().choosePrinter(&w, *printer);
    });
    if (!accepted) return;

    const PrintResult result = printSheets(*printer, image, job, [&] { window->runOnWindowThread(enterBusyState); });
    if (result == PrintResult::NotStarted) return;
    window->post(WM_PRINT_DONE, result == PrintResult::Delivered ? kPrintDelivered : kPrintFailed, 0);
}
