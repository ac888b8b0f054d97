// A person imports a picture in the real program under Xvfb: the import
// button, the file dialog typed into, the busy notice, the design in the
// preview with the number on it.

#include "larkspan_dlg.h"
#include "test_support.h"
#include "xvfb_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(EndToEnd, APersonImportsAPictureAndSeesItWithTheNumber) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run, pictures;

    // A light yellow top half and a light cyan bottom half: the black number
    // is the only dark ink on the design.
    QImage design(900, 600, QImage::Format_RGB32);
    design.fill(QColor(255, 255, 0));
    for (int y = 300; y < 600; ++y)
        for (int x0 = 0; x0 < 900; ++x0) design.setPixel(x0, y, qRgb(0, 255, 255));
    const QString picture = pictures.filePath(QStringLiteral("label.jpg"));
    ASSERT_TRUE(design.save(picture, "JPEG", 95));

    const QString id = x.startMainWindow(run.path());
    ASSERT_FALSE(id.isEmpty());
    ASSERT_TRUE(x.importThroughFileDialog(id, picture)) << "no file dialog appeared";

    // The page picture lands in "temp" under the program's current directory.
    const QString cache = run.filePath(QStringLiteral("temp/temp.jpg"));
    QImage shot;
    QElapsedTimer t;
    t.start();
    auto designShown = [&] {
        shot = x.screenshot(id);
        return !shot.isNull() && isColor(shot.pixel(20, 250), QColor(255, 255, 0), 24);
    };
    while (!designShown() && t.elapsed() < 30000) settle(200);
    ASSERT_TRUE(isColor(shot.pixel(20, 250), QColor(255, 255, 0), 24)) << "the design never appeared";
    settle(300);
    shot = x.screenshot(id);

    // 900 by 600 gives a page of 900 by 1272 with the picture from row 336.
    EXPECT_EQ(QImageReader(cache).size(), QSize(900, 1272));
    // In the 470 by 665 preview: white band, yellow, cyan, white band.
    EXPECT_TRUE(isColor(shot.pixel(20, 100), Qt::white, 8));
    EXPECT_TRUE(isColor(shot.pixel(20, 250), QColor(255, 255, 0), 24));
    EXPECT_TRUE(isColor(shot.pixel(20, 420), QColor(0, 255, 255), 24));
    EXPECT_TRUE(isColor(shot.pixel(20, 560), Qt::white, 8));
    // The number is drawn on the design where it was placed.
    const QRect ink = inkBounds(shot, QRect(0, 0, 470, 665), isDark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 235);
    EXPECT_GE(ink.top(), 332);
    EXPECT_LE(ink.bottom(), 332 + 51);
    // The busy notice is gone: nothing magenta is left at the bottom right.
    const QRect corner(shot.width() - 170, shot.height() - 40, 160, 40);
    EXPECT_TRUE(inkBounds(shot, corner, [](QRgb p) { return isColor(p, QColor(255, 0, 255), 40); }).isEmpty());

    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    shot.save(QStringLiteral(SCREENSHOT_DIR "/imported-design.png"));
}

}  // namespace
