// Printing through a real CUPS queue: a private scheduler with a cups-pdf
// printer as the default, the print dialog answered through the dialog
// layer, and the PDF that cups-pdf writes read back with poppler.

#include "import_request.h"
#include "print_job.h"
#include "print_support.h"
#include "print_worker.h"
#include "private_cups.h"
#include "settings.h"
#include "test_support.h"
#include "worker_thread.h"

#include <QAbstractButton>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

// libcups reads CUPS_SERVER once per thread, at its first call.
const bool g_cupsPrepared = [] {
    PrivateCups::prepare();
    return true;
}();

constexpr double kDpi = 100;

class CupsPrintTest : public MainWindowTest {
protected:
    static void SetUpTestSuite() {
        if (PrivateCups::unavailableReason().isEmpty()) started_ = PrivateCups::start();
    }
    static void TearDownTestSuite() { PrivateCups::stop(); }

    void SetUp() override {
        const QString reason = PrivateCups::unavailableReason();
        if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
        ASSERT_TRUE(started_) << PrivateCups::error().toStdString();
        MainWindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("temp.jpg"));
        ASSERT_TRUE(markedPicture(1241, 1754).save(path, "PNG"));
        ImportRequest.pagePicturePath = path;
        ASSERT_TRUE(dlg->m_image.load(path));
        select(1004, QStringLiteral("DejaVu Sans"));
        g_fontColor = lk::rgbRef(230, 0, 0);
    }
    void TearDown() override {
        waitFor([] { return lk::runningWorkers() == 0; });
        MainWindowTest::TearDown();
    }

    void select(int id, const QString& text) {
        for (int i = 0; i < dlg->listCount(id); ++i)
            if (dlg->listEntry(id, i) == text) return dlg->setListSelection(id, i);
        FAIL() << "no entry " << text.toStdString();
    }

    // Prints from the button with the dialog answered by `choose`; returns
    // the job's settings and the messages the user saw.
    PrintJobRecord print(int first, int last, int per, int direction, const std::function<void(QPrinter&)>& choose,
                         std::vector<QString>* shown) {
        select(1006, QString::number(first));
        select(1014, QString::number(last));
        select(1020, direction == 1 ? QStringLiteral("文字横排") : QStringLiteral("文字竖排"));
        dlg->button(per == 2 ? 1017 : 1016)->click();
        dialogs.messages.clear();
        dialogs.printer = [choose](QPrinter& p) {
            choose(p);
            return true;
        };
        dlg->sendCommand(1018);
        const PrintJobRecord job = PrintJob;
        EXPECT_TRUE(waitFor([&] { return !dialogs.messages.empty() && lk::runningWorkers() == 0; }, 60000));
        settle(20);
        for (const auto& m : dialogs.messages) shown->push_back(m.text);
        return job;
    }

    QTemporaryDir dir;
    static inline bool started_ = false;
};

struct PrintRun {
    int first, last, per, direction;
    int sheets;
};

// Each sheet's numbers lie in their cells, scaled and turned onto the page.
void expectNumbersInPlace(const std::vector<QImage>& pages, const PrintJobRecord& job, const char* what) {
    for (std::size_t k = 0; k < pages.size(); ++k) {
        const QImage& page = pages[k];
        const SheetNumbers numbers = sheetNumbers(job, static_cast<long long>(k));
        std::vector<QRect> ink;
        if (job.labelsPerSheet == 1) {
            ink.push_back(inkBounds(page, page.rect(), isRed));
        } else {
            const HalfInk h = redInkByHalf(page);
            ink = {h.upper, h.lower};
        }
        for (int slot = 0; slot < static_cast<int>(ink.size()); ++slot) {
            SCOPED_TRACE(testing::Message() << what << " sheet " << k << " label " << slot);
            if (slot >= numbers.count) {
                EXPECT_TRUE(ink[slot].isEmpty());
                continue;
            }
            const QRectF cell = numberCellOnSheet(job, QSize(1241, 1754), page.size(), slot,
                                                  QString::number(numbers.first + slot));
            ASSERT_FALSE(ink[slot].isEmpty());
            EXPECT_TRUE(cell.adjusted(-3, -3, 3, 3).contains(QRectF(ink[slot])))
                << "ink " << ink[slot].x() << "," << ink[slot].y() << " " << ink[slot].width() << "x"
                << ink[slot].height() << " cell " << cell.x() << "," << cell.y() << " " << cell.width() << "x"
                << cell.height();
            EXPECT_GT(ink[slot].width() * ink[slot].height(), 0.2 * cell.width() * cell.height());
        }
    }
}

TEST_F(CupsPrintTest, LabelsReachTheCupsPdfPrinterAndMatchQtsPdfOutput) {
    std::vector<PrintRun> runs;
    for (int per : {1, 2})
        for (int direction : {0, 1}) {
            runs.push_back({1, 3, per, direction, per == 1 ? 3 : 2});
            runs.push_back({1, 5, per, direction, per == 1 ? 5 : 3});
            runs.push_back({7, 7, per, direction, 1});
            runs.push_back({12, 10, per, direction, 0});
        }
    const QDateTime since = QDateTime::currentDateTime().addMSecs(-1000);
    std::vector<PrintJobRecord> jobs;
    for (const PrintRun& r : runs) {
        std::vector<QString> shown;
        jobs.push_back(print(r.first, r.last, r.per, r.direction,
                             [](QPrinter& p) { EXPECT_EQ(p.printerName(), PrivateCups::pdfPrinter()); }, &shown));
        EXPECT_EQ(shown, std::vector<QString>{QStringLiteral("完成文件传输至打印机")}) << r.first << "-" << r.last;
    }
    ASSERT_TRUE(PrivateCups::waitUntilIdle());
    const QStringList files = PrivateCups::outputFiles(since);
    int printed = 0;
    for (const PrintRun& r : runs) printed += r.sheets > 0;
    ASSERT_EQ(files.size(), printed) << PrivateCups::outputFolder().toStdString();

    int file = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const PrintRun& r = runs[i];
        SCOPED_TRACE(testing::Message() << r.first << "-" << r.last << ", " << r.per << " per sheet, direction "
                                        << r.direction);
        if (r.sheets == 0) continue;
        const std::vector<QImage> cups = pdfPages(files[file++], kDpi);
        ASSERT_EQ(static_cast<int>(cups.size()), r.sheets);
        expectNumbersInPlace(cups, jobs[i], "cups-pdf");

        // The same job through Qt's PDF output gives the same pages.
        std::vector<QString> shown;
        const QString pdf = dir.filePath(QStringLiteral("qt-%1.pdf").arg(i));
        print(r.first, r.last, r.per, r.direction, [&](QPrinter& p) { p.setOutputFileName(pdf); }, &shown);
        const std::vector<QImage> qt = pdfPages(pdf, kDpi);
        ASSERT_EQ(qt.size(), cups.size());
        expectNumbersInPlace(qt, jobs[i], "Qt PDF");
        for (std::size_t k = 0; k < qt.size(); ++k) {
            const HalfInk a = redInkByHalf(cups[k]), b = redInkByHalf(qt[k]);
            for (auto [x, y] : {std::pair{a.upper, b.upper}, std::pair{a.lower, b.lower}}) {
                EXPECT_EQ(x.isEmpty(), y.isEmpty()) << k;
                if (x.isEmpty() || y.isEmpty()) continue;
                EXPECT_NEAR(x.left(), y.left(), 3) << k;
                EXPECT_NEAR(x.top(), y.top(), 3) << k;
                EXPECT_NEAR(x.right(), y.right(), 3) << k;
                EXPECT_NEAR(x.bottom(), y.bottom(), 3) << k;
            }
            const QRect blueA = inkBounds(cups[k], cups[k].rect(), isBlue);
            const QRect blueB = inkBounds(qt[k], qt[k].rect(), isBlue);
            EXPECT_NEAR(blueA.left(), blueB.left(), 3) << k;
            EXPECT_NEAR(blueA.top(), blueB.top(), 3) << k;
        }
    }
    for (const QString& f : files) QFile::remove(f);
}

TEST_F(CupsPrintTest, AJobThePrinterRefusesIsReportedAsAFailure) {
    std::vector<QString> shown;
    print(1, 2, 1, 0, [](QPrinter& p) { p.setPrinterName(PrivateCups::rejectingPrinter()); }, &shown);
    EXPECT_EQ(shown, std::vector<QString>{QStringLiteral("打印失败，文件未能传输至打印机")});
    for (int id : {1000, 1001, 1002, 1018, 1004, 1005, 1006, 1014, 1020}) EXPECT_TRUE(dlg->isControlEnabled(id)) << id;
    EXPECT_FALSE(dlg->isControlEnabled(1003));
    EXPECT_FALSE(dlg->timerRunning(1));
}

}  // namespace
