// The About box of the real program under Xvfb: opened from the main
// window's button and from the window menu, drawn, and closed by keys.

#include "decoration.h"
#include "larkspan_dlg.h"
#include "test_support.h"
#include "xvfb_session.h"

#include <QAbstractButton>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kAboutTitle = QStringLiteral("关于 Larkspan");

// Pixel values only: a screenshot carries a colour space the logo has not.
bool samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) return false;
    return true;
}

bool gone(const XvfbSession& x, const QString& title) {
    return waitFor([&] { return x.windows(title).isEmpty(); }, 10000);
}

TEST(EndToEnd, AboutBoxOpensFromButtonAndMenuAndClosesWithEnterAndEsc) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run;
    const QString main = x.startMainWindow(run.path());
    ASSERT_FALSE(main.isEmpty());
    QProcess* program = x.lastStarted();

    // Where the button is: the same template laid out here, checked against
    // the real window's size.
    CLarkspanDlg layout;
    layout.create();
    ASSERT_EQ(x.windowGeometry(main).size(), layout.clientRect().size());
    const QPoint aboutButton = layout.button(ctl::kAbout)->geometry().center();

    x.click(main, aboutButton.x(), aboutButton.y());
    QString about = x.findWindow(kAboutTitle, 10000);
    ASSERT_FALSE(about.isEmpty());
    settle(300);
    const QImage shot = x.screenshot(about);
    ASSERT_FALSE(shot.isNull());
    // The logo at (30, 40), pixel for pixel; the company name under it; the
    // text in its box to the right.
    EXPECT_TRUE(samePixels(shot.copy(30, 40, 64, 64), loadLogo()));
    const QRect name = inkBounds(shot, QRect(0, 104, 128, 30), isDark);
    EXPECT_GE(name.left(), 35);
    EXPECT_LE(name.left(), 37);
    const QRect text = inkBounds(shot, QRect(128, 0, shot.width() - 128, 90), isDark);
    EXPECT_GE(text.left(), 130);
    EXPECT_GE(text.top(), 20);
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    shot.save(QStringLiteral(SCREENSHOT_DIR "/about.png"));

    x.key(about, QStringLiteral("Return"));
    EXPECT_TRUE(gone(x, kAboutTitle));

    // The window menu's stand-in: the context menu of the background; its
    // last entry, "关于 Larkspan(&A)...", chosen by its mnemonic.
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), main,
               QStringLiteral("480"), QStringLiteral("5")});
    x.xdotool({QStringLiteral("click"), QStringLiteral("3")});
    settle(300);
    x.xdotool({QStringLiteral("key"), QStringLiteral("a")});
    about = x.findWindow(kAboutTitle, 10000);
    ASSERT_FALSE(about.isEmpty());
    x.key(about, QStringLiteral("Escape"));
    EXPECT_TRUE(gone(x, kAboutTitle));

    // Closing the box leaves the program running.
    settle(300);
    EXPECT_EQ(program->state(), QProcess::Running);
    EXPECT_EQ(x.windows(productTitle()).size(), 1);
}

}  // namespace
