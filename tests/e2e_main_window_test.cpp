// The real program in a real X server: its window, its picture, and what a
// second start does.

#include "larkspan_dlg.h"
#include "test_support.h"
#include "xvfb_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(EndToEnd, WindowOpensWithTitleWhitePreviewBordersAndTheNumber) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run;
    const QString id = x.startMainWindow(run.path());
    ASSERT_FALSE(id.isEmpty());
    EXPECT_EQ(x.windowName(id), productTitle());
    const QImage shot = x.screenshot(id);
    ASSERT_FALSE(shot.isNull());
    ASSERT_GE(shot.width(), 700);
    ASSERT_GE(shot.height(), 700);

    for (QPoint p : {QPoint(0, 0), QPoint(469, 0), QPoint(0, 664), QPoint(469, 664), QPoint(100, 100)})
        EXPECT_TRUE(isColor(shot.pixel(p), Qt::white)) << p.x() << "," << p.y();
    for (int y = 0; y < 665; y += 50) EXPECT_TRUE(isColor(shot.pixel(470, y), Qt::black)) << y;
    for (int x0 = 1; x0 <= 470; x0 += 50) EXPECT_TRUE(isColor(shot.pixel(x0, 665), Qt::black)) << x0;
    EXPECT_TRUE(isColor(shot.pixel(480, 5), QColor(240, 240, 240), 2));

    // The number "1" in black bold type hangs from (235, 332), about 50 pixels tall.
    const QRect ink = inkBounds(shot, QRect(0, 0, 470, 665), isDark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 235);
    EXPECT_GE(ink.top(), 332);
    EXPECT_LE(ink.bottom(), 332 + 51);
    EXPECT_GT(ink.height(), 25);

    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    shot.save(QStringLiteral(SCREENSHOT_DIR "/main-window.png"));
}

TEST(EndToEnd, SecondStartBringsTheRunningWindowForwardAndEndsWithoutOne) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run;
    QProcess* first = x.startProgram({}, run.path());
    ASSERT_FALSE(x.findWindow(productTitle()).isEmpty());

    QProcess* second = x.startProgram({}, run.path());
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(x.windows(productTitle()).size(), 1);
    EXPECT_EQ(first->state(), QProcess::Running);
}

TEST(EndToEnd, SecondStartWhileTheFirstIsSettingUpEndsSilently) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run;
    // A first instance that holds the lock but answers nobody yet.
    QLockFile held(x.runtimeDir() + QStringLiteral("/Larkspan.lock"));
    ASSERT_TRUE(held.tryLock(0));
    QProcess* second = x.startProgram({}, run.path());
    ASSERT_TRUE(second->waitForFinished(20000));
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(x.windows(productTitle()).isEmpty());
}

TEST(EndToEnd, AStaleLockLeftByACrashIsTakenOver) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run;
    QFile stale(x.runtimeDir() + QStringLiteral("/Larkspan.lock"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999\nlarkspan\n\n");  // no such process
    stale.close();
    QProcess* p = x.startProgram({}, run.path());
    EXPECT_FALSE(x.findWindow(productTitle()).isEmpty());
    EXPECT_EQ(p->state(), QProcess::Running);
}

}  // namespace

namespace {

TEST(EndToEnd, WithoutADisplayItSaysSoInOneLine) {
    for (const char* display : {"", ":987"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        if (*display) env.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(display));
        else env.remove(QStringLiteral("DISPLAY"));
        QTemporaryDir run;
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run.path());
        p.setProcessEnvironment(env);
        p.start(XvfbSession::programPath(), {});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << display;
        EXPECT_EQ(p.exitCode(), 1) << display;
        const QString err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        EXPECT_EQ(err.count(QLatin1Char('\n')), 0) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("no display"))) << err.toStdString();
    }
}

}  // namespace

namespace {

TEST(EndToEnd, APersonDragsTheNumberAndItStaysInsideThePreview) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run;
    const QString id = x.startMainWindow(run.path());
    ASSERT_FALSE(id.isEmpty());
    const QRect before = inkBounds(x.screenshot(id), QRect(0, 0, 470, 665), isDark);
    ASSERT_FALSE(before.isEmpty());

    // Grab the digit and move it 100 pixels left and 200 up.
    const QPoint grab = before.center();
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), id,
               QString::number(grab.x()), QString::number(grab.y())});
    x.xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    for (int step = 1; step <= 4; ++step) {
        x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QString::number(grab.x() - 25 * step),
                   QString::number(grab.y() - 50 * step)});
        settle(50);
    }
    x.xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    settle(300);
    const QRect moved = inkBounds(x.screenshot(id), QRect(0, 0, 470, 665), isDark);
    ASSERT_FALSE(moved.isEmpty());
    EXPECT_EQ(moved.topLeft(), before.topLeft() - QPoint(100, 200));
    EXPECT_EQ(moved.size(), before.size());

    // Pushed far past the top-left corner, it stops at the preview's edges.
    const QPoint grab2 = moved.center();
    // The pointer may already be there, and --sync would wait for a move.
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QString::number(grab2.x()),
               QString::number(grab2.y())});
    settle(50);
    x.xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")});
    settle(100);
    x.xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    settle(300);
    const QRect corner = inkBounds(x.screenshot(id), QRect(0, 0, 470, 665), isDark);
    ASSERT_FALSE(corner.isEmpty());
    EXPECT_LT(corner.left(), 20);  // the cell's left bearing only
    EXPECT_LT(corner.top(), 20);   // the cell's internal leading only
    EXPECT_GE(corner.left(), 0);
}

}  // namespace
