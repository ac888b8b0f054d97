// A person prints labels 1 to 5, two per sheet, from the real program under
// Xvfb: imports the design, picks the range and the layout, clicks "打印",
// accepts the print dialog with the keyboard, and gets three sheets from the
// cups-pdf printer of a private CUPS scheduler.

#include "larkspan_dlg.h"
#include "print_support.h"
#include "print_worker.h"
#include "private_cups.h"
#include "test_support.h"
#include "xvfb_session.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

namespace {

// libcups in the program reads CUPS_SERVER from the environment it inherits.
const bool g_cupsPrepared = [] {
    PrivateCups::prepare();
    return true;
}();

TEST(PrintEndToEnd, LabelsOneToFiveTwoPerSheetComeOutOfTheCupsPdfPrinter) {
    const QString reason = PrivateCups::unavailableReason();
    if (!reason.isEmpty()) GTEST_SKIP() << reason.toStdString();
    ASSERT_TRUE(PrivateCups::start()) << PrivateCups::error().toStdString();
    struct StopCups {
        ~StopCups() { PrivateCups::stop(); }
    } stopCups;

    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run;
    const QString design = run.filePath(QStringLiteral("design.png"));
    ASSERT_TRUE(markedPicture(1241, 1754).save(design));
    const QString id = x.startMainWindow(run.path());
    ASSERT_FALSE(id.isEmpty());

    // Import the design through the file dialog.
    if (!x.importThroughFileDialog(id, design, 5000))
        GTEST_SKIP() << "the import command shows no file dialog in this build";
    bool shown = false;
    for (int i = 0; i < 100 && !shown; ++i) {
        QThread::msleep(200);
        const QImage shot = x.screenshot(id);
        shown = !shot.isNull() && isBlue(shot.pixel(10, 10));
    }
    ASSERT_TRUE(shown) << "the design did not reach the preview";

    // Last number 5, two labels per sheet.
    // The wheel steps the closed list from "10" up to "5" without opening it.
    const QPoint last = XvfbSession::controlCentre(ctl::kRangeTo);
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), id,
               QString::number(last.x()), QString::number(last.y())});
    x.xdotool({QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("5"), QStringLiteral("--delay"),
               QStringLiteral("100"), QStringLiteral("4")});
    const QPoint two = XvfbSession::controlCentre(ctl::kTwoPerSheet);
    x.click(id, two.x(), two.y());

    // Print, accepting the dialog with its default printer by the keyboard.
    const QDateTime since = QDateTime::currentDateTime().addMSecs(-1000);
    const QPoint print = XvfbSession::controlCentre(ctl::kPrint);
    x.click(id, print.x(), print.y());
    const QString printDialog = x.findWindow(QStringList{QStringLiteral("Print"), QStringLiteral("打印")}, 20000);
    ASSERT_FALSE(printDialog.isEmpty());
    QThread::msleep(500);
    x.key(printDialog, QStringLiteral("Return"));

    // The completion message, closed with the keyboard.
    const QString message = x.findWindow(QStringLiteral("larkspan"), 60000);
    ASSERT_FALSE(message.isEmpty());
    QThread::msleep(500);
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    x.screenshot().save(QStringLiteral(SCREENSHOT_DIR "/print-done.png"));
    x.key(message, QStringLiteral("Return"));

    ASSERT_TRUE(PrivateCups::waitUntilIdle());
    const QStringList files = PrivateCups::outputFiles(since);
    ASSERT_EQ(files.size(), 1);
    const std::vector<QImage> pages = pdfPages(files[0], 100);
    ASSERT_EQ(pages.size(), 3u);
    for (std::size_t k = 0; k < pages.size(); ++k) {
        pages[k].save(QStringLiteral(SCREENSHOT_DIR "/print-sheet-%1.png").arg(k + 1));
        // Numbers 2k+1 and 2k+2 in their halves, the last sheet's lower half empty.
        const QRect upper = inkBounds(pages[k], QRect(0, 0, pages[k].width(), pages[k].height() / 2), isDark);
        const QRect lower = inkBounds(pages[k], QRect(0, pages[k].height() / 2, pages[k].width(), pages[k].height()),
                                      isDark);
        EXPECT_FALSE(upper.isEmpty()) << k;
        EXPECT_EQ(lower.isEmpty(), k == 2) << k;
        // Each label's blue corner lies at the right edge of its half.
        const QRect blueUpper = inkBounds(pages[k], QRect(0, 0, pages[k].width(), pages[k].height() / 2), isBlue);
        ASSERT_FALSE(blueUpper.isEmpty());
        EXPECT_GE(blueUpper.right(), pages[k].width() - 5);
        EXPECT_LE(blueUpper.top(), 4);
    }
    QFile::remove(files[0]);
}

}  // namespace
