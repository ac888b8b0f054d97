// The platform layer: fonts, dialog units, the client image with its erase
// and paint order, posted messages, timers and pictures.

#include "decimal_text.h"
#include "dialogs.h"
#include "font_description.h"
#include "message_map.h"
#include "picture.h"
#include "single_instance.h"
#include "test_support.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

namespace {

TEST(DecimalText, ConvertsAsListTextsAreRead) {
    const struct { const char* text; int value; } cases[] = {
        {"0", 0}, {"1", 1}, {"1000", 1000}, {"  42", 42}, {"\t7x", 7}, {"-15", -15}, {"+8", 8},
        {"12abc", 12}, {"", 0}, {"abc", 0}, {"-", 0}, {"99999999999", 2147483647},
    };
    for (const auto& c : cases) EXPECT_EQ(decimalToInt(QString::fromUtf8(c.text)), c.value) << c.text;
    EXPECT_EQ(intToDecimal(1000), QStringLiteral("1000"));
    EXPECT_EQ(intToDecimal(-3), QStringLiteral("-3"));
    EXPECT_EQ(intToDecimal(7), QStringLiteral("7"));
}

TEST(FontDescription, CellHeightIsTheRequestedHeight) {
    const QString faces[] = {QStringLiteral("DejaVu Sans"), QStringLiteral("WenQuanYi Micro Hei"),
                             QStringLiteral("Liberation Serif"), QStringLiteral("No Such Face 123")};
    for (const QString& face : faces) {
        for (int size : {10, 22, 50, 131, 300}) {
            lk::FontDescription d{size, 700, 0, face, true};
            const QFontMetrics fm(lk::makeFont(d));
            EXPECT_NEAR(fm.ascent() + fm.descent(), size, 1) << face.toStdString() << " " << size;
            const QSize e = lk::textExtent(d, QStringLiteral("123"));
            EXPECT_EQ(e.width(), fm.horizontalAdvance(QStringLiteral("123")));
            EXPECT_EQ(e.height(), fm.ascent() + fm.descent());
        }
    }
}

TEST(FontDescription, ForeignFacesMapToAnInstalledChineseFace) {
    for (const char* face : {"微软雅黑", "MS Shell Dlg"}) {
        const QString mapped = lk::mapFaceName(QString::fromUtf8(face));
        EXPECT_TRUE(QFontDatabase::hasFamily(mapped)) << mapped.toStdString();
        const QFontMetrics fm(QFont(mapped, 12));
        for (QChar ch : QStringLiteral("导入文件打印预览")) EXPECT_TRUE(fm.inFont(ch)) << mapped.toStdString();
    }
    EXPECT_EQ(lk::mapFaceName(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
}

// Draws "88" at a reference point and returns the bounding box of its ink.
QRect inkOfText(int escapement, QPoint ref, QSize* extent) {
    QImage img(400, 400, QImage::Format_RGB32);
    img.fill(Qt::white);
    lk::FontDescription d{60, 700, escapement, QStringLiteral("DejaVu Sans"), true};
    *extent = lk::textExtent(d, QStringLiteral("88"));
    QPainter p(&img);
    p.setPen(Qt::black);
    lk::drawText(p, d, ref, QStringLiteral("88"));
    p.end();
    return inkBounds(img, img.rect(), isDark);
}

TEST(FontDescription, TextHangsFromTheTopLeftOfItsCellAndTurnsDownwards) {
    QSize e;
    const QRect upright = inkOfText(0, QPoint(100, 50), &e);
    EXPECT_TRUE(QRect(100, 50, e.width(), e.height()).contains(upright)) << upright.x() << "," << upright.y();
    EXPECT_GT(upright.height(), e.height() / 2);  // digits fill most of the cell

    const QRect turned = inkOfText(2700, QPoint(200, 50), &e);
    // Cell left of and below the reference: columns 200 - cy .. 200, rows 50 .. 50 + cx.
    EXPECT_TRUE(QRect(200 - e.height(), 50, e.height(), e.width()).contains(turned))
        << turned.x() << "," << turned.y() << " " << turned.width() << "x" << turned.height();
    EXPECT_GT(turned.width(), e.height() / 2);
    EXPECT_GT(turned.height(), turned.width());  // reads downwards: taller than wide
}

// A window with its own binding table that records what reaches it.
class RecordingWindow : public lk::DialogWindow {
public:
    RecordingWindow() : lk::DialogWindow(res::aboutDialog()) {}
    std::vector<QString> log;
    QRegion erasedClip;
    long OnUser(std::uintptr_t w, std::intptr_t l) {
        log.push_back(QStringLiteral("user %1 %2").arg(w).arg(l));
        return 0;
    }
    bool OnErase(QPainter& p) {
        log.push_back(QStringLiteral("erase"));
        erasedClip = p.clipRegion();
        p.fillRect(clientRect(), Qt::green);
        return true;
    }
    void OnPaint() { log.push_back(QStringLiteral("paint")); }
    void OnTimer(unsigned id) { log.push_back(QStringLiteral("timer %1").arg(id)); }

protected:
    bool routeMessage(lk::WindowMessage& m) override {
        static const lk::MessageBinding<RecordingWindow> map[] = {
            {lk::msg::kUser + 3, 0, 0, &RecordingWindow::OnUser},
            {lk::msg::kEraseBackground, 0, 0, &RecordingWindow::OnErase},
            {lk::msg::kPaint, 0, 0, &RecordingWindow::OnPaint},
            {lk::msg::kTimer, 0, 0, &RecordingWindow::OnTimer},
        };
        return lk::routeMessage<RecordingWindow>(*this, map, m);
    }
};

TEST(DialogWindow, InvalidationErasesTheInvalidAreaThenPaintsAndDrawingOutsidePaintingStays) {
    RecordingWindow w;
    w.create();
    settle();
    w.log.clear();
    {
        lk::ClientSurface s(w);
        s->fillRect(QRect(0, 0, 50, 50), Qt::red);
    }
    EXPECT_EQ(w.clientImage().pixel(10, 10), QColor(Qt::red).rgb());
    w.invalidate(QRect(40, 40, 20, 20));
    EXPECT_TRUE(w.log.empty());  // painting waits for the queue
    settle();
    ASSERT_EQ(w.log.size(), 2u);
    EXPECT_EQ(w.log[0], QStringLiteral("erase"));
    EXPECT_EQ(w.log[1], QStringLiteral("paint"));
    EXPECT_EQ(w.erasedClip.boundingRect(), QRect(40, 40, 20, 20));
    EXPECT_EQ(w.clientImage().pixel(10, 10), QColor(Qt::red).rgb());   // untouched
    EXPECT_EQ(w.clientImage().pixel(45, 45), QColor(Qt::green).rgb()); // erased

    // Without erase only the paint runs; two invalidations make one paint.
    w.log.clear();
    w.invalidate(QRect(0, 0, 5, 5), false);
    w.invalidate(QRect(5, 5, 5, 5), false);
    settle();
    EXPECT_EQ(w.log, std::vector<QString>{QStringLiteral("paint")});
}

TEST(DialogWindow, PostedMessagesArriveInOrderAndPostingToAnEndedWindowIsHarmless) {
    auto w = std::make_unique<RecordingWindow>();
    w->create();
    settle();
    w->log.clear();
    lk::WindowRef handle = w->handle();
    std::thread worker([handle] {
        for (int i = 0; i < 5; ++i) handle->post(lk::msg::kUser + 3, i, -i);
    });
    worker.join();
    settle();
    ASSERT_EQ(w->log.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(w->log[i], QStringLiteral("user %1 %2").arg(i).arg(-i));

    handle->post(lk::msg::kUser + 3, 9, 9);  // queued, then the window ends
    w.reset();
    EXPECT_FALSE(handle->alive());
    EXPECT_FALSE(handle->post(lk::msg::kUser + 3, 1, 1));
    settle();
    bool ran = true;
    std::atomic<bool> done{false};
    std::thread late([&] {
        ran = handle->runOnWindowThread([](lk::DialogWindow&) {});
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done.load(); }));
    late.join();
    EXPECT_FALSE(ran);
}

TEST(DialogWindow, TimersReportTheirIdAndKillingAStoppedTimerIsHarmless) {
    RecordingWindow w;
    w.create();
    settle();
    w.killTimer(3);  // never started
    w.log.clear();
    w.setTimer(3, 5);
    ASSERT_TRUE(waitFor([&] { return !w.log.empty(); }, 2000));
    EXPECT_EQ(w.log.front(), QStringLiteral("timer 3"));
    w.killTimer(3);
    EXPECT_FALSE(w.timerRunning(3));
    settle();
    w.log.clear();
    settle(30);
    EXPECT_TRUE(w.log.empty());
}

TEST(DialogWindow, DialogUnitsKeepEveryControlClearOfThePreview) {
    CLarkspanDlg d;
    const QRect r = d.unitsToPixels(279, 387, 1, 1);
    EXPECT_GT(r.left(), 471);
    EXPECT_GT(r.top(), 666);
    d.create();
    for (const lk::ControlTemplate& c : res::mainDialog().controls) {
        if (c.id == -1) continue;
        const QRect g = d.control(c.id)->geometry();
        EXPECT_TRUE(g.left() > 471 || g.top() > 666) << c.id;
    }
}

TEST(Picture, NonPicturesLoadEmptyAndFailedSavesReportFailure) {
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.jpg"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a picture at all");
    f.close();
    lk::Picture p;
    EXPECT_EQ(p.loadChecked(junk), lk::Picture::LoadResult::NotAPicture);
    EXPECT_TRUE(p.isNull());
    EXPECT_FALSE(p.load(dir.filePath(QStringLiteral("missing.png"))));

    QImage img(8, 6, QImage::Format_RGB32);
    img.fill(Qt::blue);
    p.attach(img);
    EXPECT_FALSE(p.save(dir.filePath(QStringLiteral("no/such/folder/x.jpg"))));
    const QString ok = dir.filePath(QStringLiteral("x.png"));  // content decides, not the name
    EXPECT_TRUE(p.save(dir.filePath(QStringLiteral("x.jpg"))));
    QFile::rename(dir.filePath(QStringLiteral("x.jpg")), ok);
    lk::Picture back;
    EXPECT_TRUE(back.load(ok));
    EXPECT_EQ(back.width(), 8);
}

}  // namespace

namespace {

TEST(SingleInstance, BringingForwardKeepsAMinimisedWindowMinimised) {
    QWidget w;
    w.setWindowTitle(QStringLiteral("Larkspan single instance probe"));
    w.showMinimized();
    settle();
    EXPECT_TRUE(lk::bringWindowForward(QStringLiteral("Larkspan single instance probe")));
    EXPECT_TRUE(w.isMinimized());
    EXPECT_FALSE(lk::bringWindowForward(QStringLiteral("Larkspan single instance")));  // exact titles only
}

}  // namespace

namespace {

TEST(Messages, AWorkerWaitsWhileTheMainWindowShowsItsMessage) {
    ScriptedDialogs dialogs;
    lk::setUserDialogs(&dialogs);
    auto w = std::make_unique<RecordingWindow>();
    w->create();
    lk::setMainWindow(w->handle());
    std::atomic<bool> done{false};
    std::thread worker([&] {
        lk::showMainWindowMessage(QStringLiteral("缓存图像文件失败！"));
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done.load(); }));
    worker.join();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].hadOwner);
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("larkspan"));

    w.reset();  // the window has ended: the message is still shown, unowned
    done = false;
    std::thread late([&] {
        lk::showMainWindowMessage(QStringLiteral("late"));
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done.load(); }));
    late.join();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_FALSE(dialogs.messages[1].hadOwner);
    lk::setMainWindow(nullptr);
    lk::setUserDialogs(nullptr);
}

}  // namespace
