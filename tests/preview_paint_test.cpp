// The preview area as it is drawn into the window's client image, and the
// number rectangle dragged with the mouse.

#include "settings.h"
#include "test_support.h"

#include <QPainter>
#include <QTest>

namespace {

using PreviewTest = MainWindowTest;

bool isRed(QRgb c) { return qRed(c) > 150 && qGreen(c) < 110 && qBlue(c) < 110; }

TEST_F(PreviewTest, StartUpPictureIsWhiteWithBordersAndTheBoldNumber) {
    const QImage& img = dlg->clientImage();
    for (QPoint p : {QPoint(0, 0), QPoint(469, 0), QPoint(0, 664), QPoint(469, 664), QPoint(234, 331)})
        EXPECT_TRUE(isColor(img.pixel(p), Qt::white)) << p.x() << "," << p.y();
    // Right border x = 470 for y 0..664, bottom border y = 665 for x 1..470:
    // each line leaves out its end point.
    for (QPoint p : {QPoint(470, 0), QPoint(470, 664), QPoint(470, 665), QPoint(1, 665), QPoint(235, 665)})
        EXPECT_TRUE(isColor(img.pixel(p), Qt::black)) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(0, 665), QPoint(471, 10), QPoint(470, 666), QPoint(10, 666)})
        EXPECT_FALSE(isColor(img.pixel(p), Qt::black)) << p.x() << "," << p.y();

    const lk::Rect r = dlg->m_numberRect;
    EXPECT_EQ(r.left, 235);
    EXPECT_EQ(r.top, 332);
    const QRect ink = inkBounds(img, QRect(0, 0, 470, 665), isDark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(r.toQRect().contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    EXPECT_GT(ink.height(), 30);  // a 50-pixel cell holds a digit about 36 pixels tall
}

TEST_F(PreviewTest, TurnedNumberFillsColumnsLeftToLeftPlusCyAndRowsTopToTopPlusCx) {
    pick(*dlg, 1014, QStringLiteral("1000"));
    pick(*dlg, 1006, QStringLiteral("100"));
    pick(*dlg, 1020, QStringLiteral("文字横排"));
    repaint();
    const lk::Rect r = dlg->m_numberRect;
    const lk::Extent e = dlg->m_numberExtent;
    EXPECT_EQ(r, (lk::Rect{235, 332, 235 + e.cy, 332 + e.cx}));
    const QRect ink = inkBounds(dlg->clientImage(), QRect(0, 0, 470, 665), isDark);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(QRect(235, 332, e.cy, e.cx).contains(ink));
    EXPECT_GT(ink.height(), ink.width());  // "100" reads downwards
    // Glyph tops face right: the top of "1" (its flag) is in the right half.
    EXPECT_GT(ink.right(), 235 + e.cy / 2);
}

TEST_F(PreviewTest, LargeNumbersAreCutAtThePreviewEdgesInBothDirections) {
    dialogs.colors.push_back(QColor(255, 0, 0));
    dlg->sendCommand(1001);
    pick(*dlg, 1005, QStringLiteral("300"));
    pick(*dlg, 1014, QStringLiteral("1000"));
    pick(*dlg, 1006, QStringLiteral("888"));
    dlg->m_numberRect.left = 300;
    dlg->m_numberRect.top = 500;
    dlg->invalidateAll();
    repaint();
    const QImage& img = dlg->clientImage();
    const QRect inside = inkBounds(img, QRect(0, 0, 470, 665), isRed);
    ASSERT_FALSE(inside.isEmpty());
    EXPECT_GE(inside.left(), 300);
    EXPECT_GE(inside.top(), 500);
    // Right of the preview, short of the (red) colour swatch.
    const QRect outsideRight(471, 0, dlg->clientRect().width() - 200 - 471, img.height());
    EXPECT_TRUE(inkBounds(img, outsideRight, isRed).isEmpty());
    EXPECT_TRUE(inkBounds(img, QRect(0, 666, 471, img.height() - 666), isRed).isEmpty());
    EXPECT_EQ(dlg->m_numberRect.left, 300);  // drawing does not move the rectangle

    // Turned: the rectangle reaches past the right edge, so the text starts at
    // x = 470 and is cut on its left side at the rectangle's left edge.
    pick(*dlg, 1020, QStringLiteral("文字横排"));
    dlg->m_numberRect.left = 400;
    dlg->m_numberRect.top = 100;
    dlg->invalidateAll();
    repaint();
    EXPECT_TRUE(inkBounds(img, outsideRight, isRed).isEmpty());
    const QRect turned = inkBounds(img, QRect(0, 0, 470, 665), isRed);
    ASSERT_FALSE(turned.isEmpty());
    EXPECT_GE(turned.left(), 400);
    EXPECT_LE(turned.right(), 469);
    EXPECT_GE(turned.top(), 100);
    // Only the glyphs' tops, which face right towards x = 470, remain.
    const lk::Extent e = dlg->m_numberExtent;
    EXPECT_GT(turned.right(), 470 - e.cy / 3);
}

TEST_F(PreviewTest, PictureIsStretchedSmoothlyToExactly470By665) {
    // Four quadrants of known colours, a fifth of the preview's size.
    QImage pic(94, 133, QImage::Format_RGB32);
    QPainter p(&pic);
    p.fillRect(0, 0, 47, 66, QColor(255, 0, 0));
    p.fillRect(47, 0, 47, 66, QColor(0, 255, 0));
    p.fillRect(0, 66, 47, 67, QColor(0, 0, 255));
    p.fillRect(47, 66, 47, 67, QColor(255, 255, 0));
    p.end();
    dlg->m_image.attach(pic);
    pick(*dlg, 1006, QStringLiteral("1"));
    dlg->m_numberRect.left = 400;
    dlg->m_numberRect.top = 600;
    dlg->invalidateAll();
    repaint();
    const QImage& img = dlg->clientImage();
    const QImage fresh = pic.scaled(470, 665, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (QPoint q : {QPoint(0, 0), QPoint(100, 100), QPoint(469, 0), QPoint(0, 664), QPoint(300, 500), QPoint(234, 330)})
        EXPECT_EQ(img.pixel(q) & 0xFFFFFF, fresh.pixel(q) & 0xFFFFFF) << q.x() << "," << q.y();
    EXPECT_TRUE(isColor(img.pixel(100, 100), QColor(255, 0, 0), 2));
    EXPECT_TRUE(isColor(img.pixel(370, 100), QColor(0, 255, 0), 2));
    EXPECT_TRUE(isColor(img.pixel(100, 500), QColor(0, 0, 255), 2));
    EXPECT_TRUE(isColor(img.pixel(370, 500), QColor(255, 255, 0), 2));
    EXPECT_TRUE(isColor(img.pixel(470, 300), Qt::black));  // the border stays outside the picture
}

// Sends a press, moves and a release through the window's message routing.
void drag(CLarkspanDlg& d, QPoint from, QPoint to) {
    auto send = [&](unsigned id, QPoint p) {
        lk::WindowMessage m;
        m.id = id;
        m.point = p;
        d.sendMessage(m);
    };
    send(lk::msg::kLeftButtonDown, from);
    send(lk::msg::kMouseMove, to);
    send(lk::msg::kLeftButtonUp, to);
}

TEST_F(PreviewTest, DragKeepsTheRectangleInsideThePreviewTestingHorizontalThenVertical) {
    const lk::Extent e = dlg->m_numberExtent;
    const int w = e.cx, h = e.cy;
    struct Case { QPoint to; lk::Rect expect; };
    // Grabbed 5 pixels right of and below the top-left corner.
    const Case cases[] = {
        {{-500, 300}, {0, 295, w, 295 + h}},
        {{100, -500}, {95, 0, 95 + w, h}},
        {{2000, 300}, {470 - w, 295, 470, 295 + h}},
        {{100, 3000}, {95, 665 - h, 95 + w, 665}},
        {{-1, -1}, {0, 0, w, h}},
        {{5 + 470 - w, 5 + 665 - h}, {470 - w, 665 - h, 470, 665}},
        {{200, 300}, {195, 295, 195 + w, 295 + h}},
    };
    for (const Case& c : cases) {
        const lk::Rect start = dlg->m_numberRect;
        drag(*dlg, QPoint(start.left + 5, start.top + 5), c.to);
        EXPECT_EQ(dlg->m_numberRect, c.expect) << c.to.x() << "," << c.to.y();
        EXPECT_FALSE(dlg->m_dragging);
    }
}

TEST_F(PreviewTest, PressOnLeftOrTopEdgeStartsADragButNotOnRightOrBottom) {
    const lk::Rect r = dlg->m_numberRect;
    struct Case { QPoint at; bool drags; };
    const Case cases[] = {
        {{r.left, r.top}, true}, {{r.left, r.bottom - 1}, true}, {{r.right - 1, r.top}, true},
        {{r.right, r.top}, false}, {{r.left, r.bottom}, false}, {{r.left - 1, r.top}, false},
    };
    for (const Case& c : cases) {
        lk::WindowMessage m;
        m.id = lk::msg::kLeftButtonDown;
        m.point = c.at;
        dlg->sendMessage(m);
        EXPECT_EQ(dlg->m_dragging, c.drags) << c.at.x() << "," << c.at.y();
        if (c.drags) {
            EXPECT_EQ(dlg->m_dragOffsetX, c.at.x() - r.left);
            EXPECT_EQ(dlg->m_dragOffsetY, c.at.y() - r.top);
            EXPECT_TRUE(dlg->hasMouseCapture());
        }
        m.id = lk::msg::kLeftButtonUp;
        dlg->sendMessage(m);
        EXPECT_FALSE(dlg->hasMouseCapture());
    }
}

TEST_F(PreviewTest, TurnedAndOverwideNumbersUseTheirOwnSizeForTheLimits) {
    pick(*dlg, 1020, QStringLiteral("文字横排"));
    repaint();
    const lk::Extent e = dlg->m_numberExtent;
    drag(*dlg, QPoint(dlg->m_numberRect.left, dlg->m_numberRect.top), QPoint(5000, 5000));
    EXPECT_EQ(dlg->m_numberRect, (lk::Rect{470 - e.cy, 665 - e.cx, 470, 665}));

    // Wider than the preview: left 0 only when pushed past the left edge,
    // otherwise 470 - w, a negative left edge.
    pick(*dlg, 1020, QStringLiteral("文字竖排"));
    pick(*dlg, 1005, QStringLiteral("300"));
    pick(*dlg, 1014, QStringLiteral("1000"));
    pick(*dlg, 1006, QStringLiteral("1000"));
    repaint();
    const int w = dlg->m_numberExtent.cx;
    ASSERT_GT(w, 470);
    dlg->m_numberRect = {0, 0, w, dlg->m_numberExtent.cy};
    drag(*dlg, QPoint(10, 10), QPoint(20, 10));
    EXPECT_EQ(dlg->m_numberRect.left, 470 - w);
    EXPECT_EQ(dlg->m_numberRect.right, 470);
    drag(*dlg, QPoint(dlg->m_numberRect.left + 10, 10), QPoint(-10000, 10));
    EXPECT_EQ(dlg->m_numberRect.left, 0);
    EXPECT_EQ(dlg->m_numberRect.right, w);
}

TEST_F(PreviewTest, AMouseDragRedrawsAtOnceAndEndsWhenReleasedOutsideTheWindow) {
    dlg->show();
    const lk::Rect r = dlg->m_numberRect;
    QTest::mousePress(dlg.get(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left + 2, r.top + 2));
    QMouseEvent move(QEvent::MouseMove, QPointF(52, 62), dlg->mapToGlobal(QPointF(52, 62)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &move);
    EXPECT_EQ(dlg->m_numberRect.left, 50);
    EXPECT_EQ(dlg->m_numberRect.top, 60);
    EXPECT_FALSE(dlg->paintPending());
    const QRect ink = inkBounds(dlg->clientImage(), QRect(0, 0, 470, 665), isDark);
    EXPECT_TRUE(dlg->m_numberRect.toQRect().contains(ink));
    QTest::mouseRelease(dlg.get(), Qt::LeftButton, Qt::NoModifier, QPoint(-300, 2000));
    EXPECT_FALSE(dlg->m_dragging);
    EXPECT_EQ(dlg->m_numberRect.left, 50);
}

}  // namespace
