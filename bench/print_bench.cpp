// Printing speed and memory: 100 and 1000 labels of a 2100 by 2970 page
// picture, one and two per sheet, printed to a PDF file the way the print
// worker prints. Prints wall time, sheets per second, peak memory during the
// job, output size and the bytes each further sheet adds.

#include "print_job.h"
#include "print_worker.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QRadialGradient>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A page picture with detail everywhere, as a scanned or converted design
// has, saved and loaded as the page picture cache does.
QImage pagePicture(const QString& path) {
    QImage img(2100, 2970, QImage::Format_RGB32);
    QPainter p(&img);
    QRadialGradient g(1050, 1485, 1800);
    g.setColorAt(0, QColor(250, 245, 230));
    g.setColorAt(1, QColor(180, 200, 230));
    p.fillRect(img.rect(), g);
    p.setPen(QPen(Qt::black, 6));
    for (int i = 0; i < 40; ++i) p.drawLine(0, i * 74, 2100, 2970 - i * 74);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(160);
    p.setFont(f);
    p.drawText(QRect(100, 300, 1900, 400), Qt::AlignCenter, QStringLiteral("SHIPPING MARK 唛头"));
    p.end();
    img.save(path, "JPEG");
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

// Peak resident memory since the last reset, in KiB (Linux).
long peakKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

struct Figures {
    double seconds = 0;
    long long sheets = 0;
    long peak = 0;
    qint64 bytes = 0;
};

Figures printJob(const QImage& picture, int labels, int perSheet, const QString& out) {
    PrintJobRecord job;
    job.fontColor = 0x0000FF;
    job.fontFace = QStringLiteral("DejaVu Sans");
    job.firstNumber = 1;
    job.lastNumber = labels;
    job.labelsPerSheet = perSheet;
    job.xRatio = 235.0 / 470;
    job.yRatio = 332.0 / 665;
    job.heightRatio = 50.0 / 665;
    QFile::remove(out);
    resetPeak();
    QElapsedTimer t;
    t.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(out);
    const PrintResult r = printSheets(printer, picture, job);
    Figures f;
    f.seconds = t.nsecsElapsed() / 1e9;
    f.sheets = sheetCount(job);
    f.peak = peakKiB();
    f.bytes = QFileInfo(out).size();
    if (r != PrintResult::Delivered) std::fprintf(stderr, "job of %d labels failed\n", labels);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString jpeg = dir.filePath(QStringLiteral("temp.jpg"));
    const QImage picture = pagePicture(jpeg);
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    std::printf("page picture 2100x2970, JPEG %lld bytes\n", static_cast<long long>(QFileInfo(jpeg).size()));
    printJob(picture, 1, 1, out);  // warm-up: fonts and the PDF engine
    std::printf("%-8s %-10s %7s %9s %10s %12s %12s %14s\n", "labels", "per sheet", "sheets", "seconds", "sheets/s",
                "peak MiB", "bytes", "bytes/sheet+");
    for (int per : {1, 2}) {
        const Figures one = printJob(picture, per, per, out);
        for (int labels : {100, 1000}) {
            const Figures f = printJob(picture, labels, per, out);
            // What each sheet adds beyond the single embedded picture.
            const double perSheet = static_cast<double>(f.bytes - one.bytes) / static_cast<double>(f.sheets - 1);
            std::printf("%-8d %-10d %7lld %9.3f %10.0f %12.1f %12lld %14.0f\n", labels, per, f.sheets, f.seconds,
                        f.sheets / f.seconds, f.peak / 1024.0, static_cast<long long>(f.bytes), perSheet);
        }
        std::printf("         (one sheet alone: %lld bytes)\n", static_cast<long long>(one.bytes));
    }
    return 0;
}
