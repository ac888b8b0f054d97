// The print job snapshot, the sheet geometry, the drawing of the sheets and
// a print job from the "打印" button to its completion, printed to PDF files.

#include "import_request.h"
#include "number_font.h"
#include "print_job.h"
#include "print_support.h"
#include "print_worker.h"
#include "settings.h"
#include "test_support.h"
#include "worker_thread.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <map>

namespace {

// --- Geometry -------------------------------------------------------------

TEST(PrintGeometry, NumberFontAndReferenceAreComputedInPicturePixelsWithOneTruncation) {
    // 1241 x 1754: height 131.88 -> 131; upright (620.5, 875.68) -> (620, 875);
    // turned x = 620.5 + 131.88 = 752.38 -> 752, not 620 + 131.
    struct Case { int direction; QPointF reference; int escapement; };
    for (const Case& c : {Case{0, {620, 875}, 0}, Case{1, {752, 875}, 2700}}) {
        const LabelNumberStyle s = labelNumberStyle(testJob(1, 1, 1, c.direction), 1241, 1754);
        EXPECT_EQ(s.font.cellHeight, 131) << c.direction;
        EXPECT_EQ(s.reference, c.reference) << c.direction;
        EXPECT_EQ(s.font.escapement, c.escapement);
        EXPECT_EQ(s.font.weight, 700);
        EXPECT_EQ(s.font.face, QStringLiteral("DejaVu Sans"));
        EXPECT_EQ(s.color, lk::rgbRef(230, 0, 0));
    }
}

TEST(PrintGeometry, LabelsFillTheSheetOrTheirHalfTurnedAQuarterTurn) {
    const QSize pic(2100, 2970);
    // One label per sheet: the picture stretched to the printable area.
    const QTransform one = labelTransform(pic, QSize(4800, 6800), 1, 0);
    EXPECT_EQ(one.map(QPointF(0, 0)), QPointF(0, 0));
    EXPECT_EQ(one.map(QPointF(2100, 2970)), QPointF(4800, 6800));

    // Two per sheet with an odd height: the upper half 3300 tall, the lower 3301.
    const QSize sheet(4800, 6601);
    EXPECT_EQ(upperHalf(6601), 3300);
    struct Corner { int slot; QPointF picture, sheet; };
    const Corner corners[] = {
        {0, {0, 0}, {4800, 0}},       {0, {2100, 0}, {4800, 3300}},  {0, {0, 2970}, {0, 0}},
        {0, {2100, 2970}, {0, 3300}}, {1, {0, 0}, {4800, 3300}},     {1, {2100, 0}, {4800, 6601}},
        {1, {0, 2970}, {0, 3300}},    {1, {2100, 2970}, {0, 6601}},
    };
    for (const Corner& c : corners) {
        const QPointF got = labelTransform(pic, sheet, 2, c.slot).map(c.picture);
        EXPECT_NEAR(got.x(), c.sheet.x(), 1e-9) << c.slot << " " << c.picture.x() << "," << c.picture.y();
        EXPECT_NEAR(got.y(), c.sheet.y(), 1e-9) << c.slot << " " << c.picture.x() << "," << c.picture.y();
    }
}

TEST(PrintGeometry, SheetsCarryTheNumbersInAscendingOrder) {
    struct Case { int first, last, per; std::vector<std::vector<int>> sheets; };
    const Case cases[] = {
        {1, 3, 1, {{1}, {2}, {3}}},
        {1, 3, 2, {{1, 2}, {3}}},
        {1, 5, 1, {{1}, {2}, {3}, {4}, {5}}},
        {1, 5, 2, {{1, 2}, {3, 4}, {5}}},
        {7, 7, 1, {{7}}},
        {7, 7, 2, {{7}}},
        {12, 10, 1, {}},
        {12, 10, 2, {}},
        {1, 3, 0, {}},
        {1, 3, 3, {}},
        {2147483646, 2147483647, 2, {{2147483646, 2147483647}}},
    };
    for (const Case& c : cases) {
        const PrintJobRecord job = testJob(c.first, c.last, c.per, 0);
        std::vector<std::vector<int>> got;
        for (long long k = 0; k < sheetCount(job); ++k) {
            const SheetNumbers s = sheetNumbers(job, k);
            std::vector<int> numbers;
            for (int i = 0; i < s.count; ++i) numbers.push_back(s.first + i);
            got.push_back(numbers);
        }
        EXPECT_EQ(got, c.sheets) << c.first << "-" << c.last << " x" << c.per;
    }
}

// --- Drawing --------------------------------------------------------------

// The label composed at the picture's size (picture one to one, number on
// it) and then scaled onto the sheet: the reference the direct drawing must
// agree with.
QImage composedSheet(const QImage& picture, QSize sheetSize, const PrintJobRecord& job, SheetNumbers numbers) {
    const LabelNumberStyle style = labelNumberStyle(job, picture.width(), picture.height());
    QImage sheet(sheetSize, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    for (int slot = 0; slot < numbers.count; ++slot) {
        QImage label = picture.copy();
        {
            QPainter lp(&label);
            lp.setRenderHint(QPainter::TextAntialiasing);
            drawNumber(lp, style.font, style.reference, QString::number(numbers.first + slot), style.color);
        }
        if (job.labelsPerSheet == 1) {
            p.drawImage(0, 0, label.scaled(sheetSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        } else {
            p.save();
            p.setTransform(labelTransform(label.size(), sheetSize, 2, slot));
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(0, 0, label);
            p.restore();
        }
    }
    return sheet;
}

QImage directSheet(const QImage& picture, QSize sheetSize, const PrintJobRecord& job, SheetNumbers numbers) {
    QImage sheet(sheetSize, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    drawSheet(p, picture, sheetSize, job.labelsPerSheet,
              labelNumberStyle(job, picture.width(), picture.height()), numbers);
    return sheet;
}

std::vector<QRect> labelInk(const QImage& sheet, int labelsPerSheet) {
    if (labelsPerSheet == 1) return {inkBounds(sheet, sheet.rect(), isRed)};
    const HalfInk ink = redInkByHalf(sheet);
    return {ink.upper, ink.lower};
}

TEST(SheetDrawing, DirectDrawingAgreesWithTheLabelComposedOffScreen) {
    const QImage picture = markedPicture(1241, 1754);
    const QSize sheet(700, 990);
    for (int per : {1, 2}) {
        for (int direction : {0, 1}) {
            SCOPED_TRACE(testing::Message() << per << " per sheet, direction " << direction);
            const PrintJobRecord job = testJob(8, 9, per, direction);
            const SheetNumbers numbers{8, per};
            const QImage a = composedSheet(picture, sheet, job, numbers);
            const QImage b = directSheet(picture, sheet, job, numbers);
            int differing = 0;
            for (int y = 0; y < sheet.height(); ++y)
                for (int x = 0; x < sheet.width(); ++x) {
                    const QRgb u = a.pixel(x, y), v = b.pixel(x, y);
                    if (std::abs(qRed(u) - qRed(v)) > 96 || std::abs(qGreen(u) - qGreen(v)) > 96 ||
                        std::abs(qBlue(u) - qBlue(v)) > 96)
                        ++differing;
                }
            // Only anti-aliased edge pixels may differ.
            EXPECT_LT(differing, sheet.width() * sheet.height() / 500);
            // The number's ink on each label of the sheet.
            const std::vector<QRect> inkA = labelInk(a, per), inkB = labelInk(b, per);
            for (std::size_t i = 0; i < inkA.size(); ++i) {
                ASSERT_FALSE(inkA[i].isEmpty()) << i;
                ASSERT_FALSE(inkB[i].isEmpty()) << i;
                EXPECT_NEAR(inkA[i].left(), inkB[i].left(), 2) << i;
                EXPECT_NEAR(inkA[i].top(), inkB[i].top(), 2) << i;
                EXPECT_NEAR(inkA[i].right(), inkB[i].right(), 2) << i;
                EXPECT_NEAR(inkA[i].bottom(), inkB[i].bottom(), 2) << i;
            }
            const QRect blueA = inkBounds(a, a.rect(), isBlue), blueB = inkBounds(b, b.rect(), isBlue);
            EXPECT_NEAR(blueA.left(), blueB.left(), 2);
            EXPECT_NEAR(blueA.top(), blueB.top(), 2);
            EXPECT_NEAR(blueA.right(), blueB.right(), 2);
            EXPECT_NEAR(blueA.bottom(), blueB.bottom(), 2);
        }
    }
}

TEST(SheetDrawing, NumberIsCutAtThePictureEdgeAndAnEmptyPictureLeavesTheSheetBlank) {
    const QImage picture = markedPicture(620, 877);
    const QSize sheet(620, 877);
    // A number placed past the right edge is not moved back, only cut.
    PrintJobRecord job = testJob(1000, 1000, 1, 0);
    job.xRatio = 450.0 / 470;
    QImage img = directSheet(picture, sheet, job, {1000, 1});
    const QRect ink = inkBounds(img, img.rect(), isRed);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.left(), static_cast<int>(620 * job.xRatio), 8);
    EXPECT_EQ(ink.right(), 619);

    img = directSheet(QImage(), sheet, testJob(1, 2, 2, 0), {1, 2});
    EXPECT_TRUE(inkBounds(img, img.rect(), [](QRgb c) { return c != qRgb(255, 255, 255); }).isEmpty());
}

// --- The print command ----------------------------------------------------

class PrintCommandTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        picturePath = dir.filePath(QStringLiteral("temp.jpg"));
        ASSERT_TRUE(markedPicture(620, 877).save(picturePath));
        ImportRequest.pagePicturePath = picturePath;
        PrintJob = PrintJobRecord{};
    }
    void TearDown() override {
        waitFor([] { return lk::runningWorkers() == 0; });
        settle();
        MainWindowTest::TearDown();
    }
    void select(int id, const QString& text) {
        for (int i = 0; i < dlg->listCount(id); ++i)
            if (dlg->listEntry(id, i) == text) return dlg->setListSelection(id, i);
        FAIL() << "no entry " << text.toStdString() << " in " << id;
    }
    void loadPicture() { ASSERT_TRUE(dlg->m_image.load(picturePath)); }

    QTemporaryDir dir;
    QString picturePath;
};

TEST_F(PrintCommandTest, WithoutAPictureNothingIsPrinted) {
    PrintJob.firstNumber = 77;
    dlg->sendCommand(1018);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("无可打印的内容"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("larkspan"));
    EXPECT_TRUE(dialogs.messages[0].hadOwner);
    EXPECT_EQ(PrintJob.firstNumber, 77);
    EXPECT_EQ(lk::runningWorkers(), 0);
    settle(50);
    EXPECT_EQ(dialogs.printDialogs, 0);
}

TEST_F(PrintCommandTest, SnapshotTakesTheSettingsAndACancelledDialogEndsSilently) {
    loadPicture();
    select(1020, QStringLiteral("文字横排"));
    select(1006, QStringLiteral("12"));
    select(1014, QStringLiteral("10"));
    dlg->button(1017)->click();
    g_fontColor = lk::rgbRef(10, 20, 30);
    dlg->sendCommand(1018);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(PrintJob.textDirection, 1);
    EXPECT_EQ(PrintJob.firstNumber, 12);
    EXPECT_EQ(PrintJob.lastNumber, 10);
    EXPECT_EQ(PrintJob.labelsPerSheet, 2);
    EXPECT_EQ(PrintJob.fontColor, lk::rgbRef(10, 20, 30));
    EXPECT_EQ(PrintJob.fontFace, dlg->controlText(1004));
    EXPECT_EQ(PrintJob.xRatio, 0.5);
    EXPECT_EQ(PrintJob.yRatio, 332.0 / 665.0);
    EXPECT_EQ(PrintJob.heightRatio, static_cast<double>(dlg->m_numberExtent.cy) / 665.0);

    // The dialog is cancelled: no message, nothing disabled, no notice.
    ASSERT_TRUE(waitFor([&] { return dialogs.printDialogs == 1 && lk::runningWorkers() == 0; }));
    settle(50);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dlg->isControlEnabled(1018));
    EXPECT_TRUE(dlg->isControlEnabled(1000));
    EXPECT_FALSE(dlg->timerRunning(1));

    // Back to upright and one per sheet; a larger size changes the height
    // ratio and nothing else.
    const PrintJobRecord before = PrintJob;
    select(1020, QStringLiteral("文字竖排"));
    dlg->button(1016)->click();
    select(1005, QStringLiteral("120"));
    dlg->sendCommand(1005, lk::notify::kSelectionChanged);
    repaint();
    dlg->sendCommand(1018);
    EXPECT_EQ(PrintJob.textDirection, 0);
    EXPECT_EQ(PrintJob.labelsPerSheet, 1);
    EXPECT_GT(PrintJob.heightRatio, before.heightRatio);
    EXPECT_EQ(PrintJob.xRatio, before.xRatio);
    EXPECT_EQ(PrintJob.yRatio, before.yRatio);
    ASSERT_TRUE(waitFor([&] { return dialogs.printDialogs == 2 && lk::runningWorkers() == 0; }));
}

TEST_F(PrintCommandTest, AQuickSecondClickStartsNoSecondJob) {
    loadPicture();
    dlg->sendCommand(1018);
    dlg->sendCommand(1018);  // before the first job's dialog has appeared
    ASSERT_TRUE(waitFor([&] { return lk::runningWorkers() == 0; }));
    settle(50);
    EXPECT_EQ(dialogs.printDialogs, 1);
    dlg->sendCommand(1018);  // that job has ended: the next click prints again
    ASSERT_TRUE(waitFor([&] { return dialogs.printDialogs == 2 && lk::runningWorkers() == 0; }));
}

// Records every change of a control's enabled state, in order, and whether
// the busy notice's timer runs right after the busy state was entered.
class EnableLog : public QObject {
public:
    void watch(lk::DialogWindow& w, std::initializer_list<int> ids) {
        window = &w;
        for (int id : ids) {
            w.control(id)->installEventFilter(this);
            idOf[w.control(id)] = id;
        }
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() != QEvent::EnabledChange) return false;
        const bool enabled = static_cast<QWidget*>(o)->isEnabled();
        changes.push_back({idOf[o], enabled});
        // The last control of the busy state: what is queued now runs once
        // the busy state is complete and before the worker can report back.
        if (idOf[o] == ctl::kDirection && !enabled)
            QMetaObject::invokeMethod(
                this, [this] { timerAfterBusy = window->timerRunning(1); }, Qt::QueuedConnection);
        if (idOf[o] == ctl::kImportFile && enabled) timerAtGiveBack = window->timerRunning(1);
        return false;
    }
    lk::DialogWindow* window = nullptr;
    std::vector<std::pair<int, bool>> changes;
    std::map<QObject*, int> idOf;
    bool timerAfterBusy = false;
    bool timerAtGiveBack = true;
};

TEST_F(PrintCommandTest, PrintedJobDisablesTheControlsInOrderAndGivesThemBack) {
    loadPicture();
    select(1014, QStringLiteral("5"));
    dlg->button(1017)->click();
    // Page stepping on, as in preview mode, to see the busy state take it too.
    dlg->enableControl(1003, true);
    dlg->enableControl(1015, true);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    dialogs.printer = [&](QPrinter& p) {
        EXPECT_EQ(p.docName(), QStringLiteral("Print Window"));
        EXPECT_EQ(p.resolution(), 1200);
        p.setOutputFileName(pdf);
        return true;
    };
    EnableLog log;
    log.watch(*dlg, {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1014, 1015, 1016, 1017, 1018, 1020, 1026});
    dlg->m_image.destroy();
    dlg->m_image.load(picturePath);
    dlg->sendCommand(1018);
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    settle(100);

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("完成文件传输至打印机"));
    EXPECT_TRUE(dialogs.messages[0].hadOwner);
    const std::vector<std::pair<int, bool>> expected = {
        {1000, false}, {1001, false}, {1002, false}, {1003, false}, {1015, false}, {1018, false},
        {1004, false}, {1005, false}, {1006, false}, {1014, false}, {1020, false},
        {1000, true},  {1001, true},  {1002, true},  {1003, false}, {1015, false}, {1018, true},
        {1004, true},  {1005, true},  {1006, true},  {1014, true},  {1020, true},
    };
    // Controls that were already in the wanted state send no change.
    std::vector<std::pair<int, bool>> wanted;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (!(i >= 11 && (expected[i].first == 1003 || expected[i].first == 1015))) wanted.push_back(expected[i]);
    EXPECT_EQ(log.changes, wanted);
    EXPECT_TRUE(log.timerAfterBusy);
    EXPECT_FALSE(log.timerAtGiveBack);
    EXPECT_FALSE(dlg->timerRunning(1));
    EXPECT_FALSE(dlg->m_image.isNull());
    const std::vector<QImage> pages = pdfPages(pdf, 30);
    ASSERT_EQ(pages.size(), 3u);
    // No margin of Qt's own: the first label's top-left corner (blue) sits
    // in the sheet's top-right corner, the second's halfway down.
    for (const QImage& page : pages) {
        EXPECT_TRUE(isBlue(page.pixel(page.width() - 1, 0)));
        EXPECT_FALSE(isBlue(page.pixel(0, 0)));
    }
    EXPECT_TRUE(isBlue(pages[0].pixel(pages[0].width() - 1, pages[0].height() / 2 + 1)));
    EXPECT_FALSE(isBlue(pages[2].pixel(pages[2].width() - 1, pages[2].height() / 2 + 1)));
}

// Outcomes of whole jobs: what reaches the PDF file and what the user hears.
TEST_F(PrintCommandTest, JobOutcomes) {
    struct Case {
        const char* name;
        int first, last;
        bool removePicture;
        QString output;       // relative to the temporary folder, or absolute
        int pages;            // -1: no file
        std::vector<QString> messages;
        bool controlsBack;
    };
    const QString done = QStringLiteral("完成文件传输至打印机");
    const Case cases[] = {
        {"no sheet", 12, 10, false, QStringLiteral("none.pdf"), -1, {done}, true},
        {"picture gone: blank sheets", 1, 3, true, QStringLiteral("blank.pdf"), 3,
         {QStringLiteral("failure"), done}, true},
        {"output that takes no data", 1, 2, false, QStringLiteral("/dev/full"), -1,
         {QStringLiteral("打印失败，文件未能传输至打印机")}, true},
        {"document cannot start", 1, 2, false, QStringLiteral("missing/folder/out.pdf"), -1, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        ASSERT_TRUE(markedPicture(620, 877).save(picturePath));
        loadPicture();
        select(1006, QString::number(c.first));
        select(1014, QString::number(c.last));
        if (c.removePicture) QFile::remove(picturePath);
        const QString out = c.output.startsWith(u'/') ? c.output : dir.filePath(c.output);
        dialogs.printer = [&](QPrinter& p) {
            p.setOutputFileName(out);
            return true;
        };
        dlg->sendCommand(1018);
        ASSERT_TRUE(waitFor([&] { return lk::runningWorkers() == 0; }));
        settle(100);
        std::vector<QString> texts;
        for (const auto& m : dialogs.messages) texts.push_back(m.text);
        EXPECT_EQ(texts, c.messages);
        if (c.removePicture) {
            EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("print"));
            EXPECT_FALSE(dialogs.messages[0].hadOwner);
        }
        if (c.pages < 0) {
            if (!c.output.startsWith(u'/')) {
                EXPECT_FALSE(QFile::exists(out));
            }
        } else {
            const std::vector<QImage> pages = pdfPages(out, 20);
            ASSERT_EQ(static_cast<int>(pages.size()), c.pages);
            for (const QImage& page : pages)
                EXPECT_TRUE(inkBounds(page, page.rect(), [](QRgb v) { return qGray(v) < 250; }).isEmpty());
        }
        for (int id : {1000, 1001, 1002, 1018, 1004, 1005, 1006, 1014, 1020})
            EXPECT_EQ(dlg->isControlEnabled(id), c.controlsBack) << id;
        EXPECT_FALSE(dlg->timerRunning(1));
    }
}

}  // namespace
