// A label run's first steps in the real program under Xvfb: import a design
// through the file dialog, enter preview mode and step to the third number.

#include "larkspan_dlg.h"
#include "test_support.h"
#include "xvfb_session.h"

#include <QAbstractButton>
#include <QDir>
#include <QFont>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A shipping-mark design: a frame, the consignee's mark and the fields of a carton.
QImage makeDesign() {
    QImage img(840, 1188, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 10));
    p.drawRect(40, 40, 760, 1108);
    p.setPen(QPen(Qt::black, 4));
    p.drawLine(40, 300, 800, 300);
    QFont big(QStringLiteral("DejaVu Sans"));
    big.setPixelSize(96);
    big.setBold(true);
    p.setFont(big);
    p.drawText(QRect(40, 60, 760, 220), Qt::AlignCenter, QStringLiteral("ACME GmbH"));
    QFont text(QStringLiteral("DejaVu Sans"));
    text.setPixelSize(56);
    p.setFont(text);
    const char* lines[] = {"HAMBURG", "PO NO.: 2026-0417", "ITEM: CERAMIC MUGS", "QTY: 48 PCS", "G.W.: 18 KG",
                           "MADE IN CHINA", "C/NO.:"};
    int y = 360;
    for (const char* line : lines) {
        p.drawText(100, y + 56, QString::fromLatin1(line));
        y += 105;
    }
    return img;
}

bool previewShowsDesign(const QImage& shot) {
    // The design's frame: a dark line near the preview's left edge.
    return !shot.isNull() && !inkBounds(shot, QRect(10, 200, 30, 200), isDark).isEmpty();
}

TEST(EndToEnd, ImportedDesignIsSteppedThroughInPreviewMode) {
    XvfbSession x;
    ASSERT_TRUE(x.ok());
    QTemporaryDir run, pictures;
    const QString design = pictures.filePath(QStringLiteral("design.png"));
    ASSERT_TRUE(makeDesign().save(design));
    const QString main = x.startMainWindow(run.path());
    ASSERT_FALSE(main.isEmpty());

    CLarkspanDlg layout;
    layout.create();
    ASSERT_EQ(x.windowGeometry(main).size(), layout.clientRect().size());
    // A click waits for the pointer to arrive, so two clicks on one button
    // aim at different points of it.
    const auto click = [&](int id, QPoint nudge = {}) {
        const QPoint c = layout.control(id)->geometry().center() + nudge;
        x.click(main, c.x(), c.y());
        settle(300);
    };

    ASSERT_TRUE(x.importThroughFileDialog(main, design)) << "no file dialog appeared";
    ASSERT_TRUE(waitFor([&] { return previewShowsDesign(x.screenshot(main)); }, 30000));
    settle(300);

    // The number goes behind "C/NO.:" (a drag from inside it), then preview
    // mode steps from 1 to 3.
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), main,
               QStringLiteral("245"), QStringLiteral("345")});
    x.xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), main,
               QStringLiteral("220"), QStringLiteral("450")});
    x.xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"), main,
               QStringLiteral("200"), QStringLiteral("558")});
    x.xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    settle(300);
    click(ctl::kPreview);
    click(ctl::kNextPage);
    click(ctl::kNextPage, QPoint(4, 0));
    settle(500);
    const QImage shot = x.screenshot(main);
    EXPECT_TRUE(previewShowsDesign(shot));
    // The number's ink hangs from its new place, (190, 545).
    const QRect number = inkBounds(shot, QRect(185, 540, 80, 60), isDark);
    ASSERT_FALSE(number.isEmpty());
    EXPECT_GE(number.left(), 190);
    EXPECT_GE(number.top(), 545);
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    shot.save(QStringLiteral(SCREENSHOT_DIR "/main-with-design.png"));
}

}  // namespace
