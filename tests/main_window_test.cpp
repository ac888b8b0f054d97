// The main window after set-up, its settings handlers and the exit question.

#include "dialogs.h"
#include "font_description.h"
#include "larkspan_app.h"
#include "number_font.h"
#include "settings.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QCollator>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

namespace {

using StartupTest = MainWindowTest;

TEST_F(StartupTest, ControlsAreBuiltFromTheTemplateWithTheirStartState) {
    struct Expect { int id; const char* text; bool enabled; bool visible; };
    const Expect table[] = {
        {1, "确定", true, false},        {2, "取消", true, false},
        {1000, "导入文件", true, true},  {1001, "字体颜色选取", true, true},
        {1002, "预览", true, true},      {1003, "下一页", false, true},
        {1015, "上一页", false, true},   {1016, "每版打印一页", true, true},
        {1017, "每版打印两页", true, true}, {1018, "打印", true, true},
        {1023, "关于我们", true, true},  {1024, "访问官网", true, true},
    };
    for (const Expect& e : table) {
        ASSERT_NE(dlg->control(e.id), nullptr) << e.id;
        EXPECT_EQ(dlg->controlText(e.id), QString::fromUtf8(e.text)) << e.id;
        EXPECT_EQ(dlg->isControlEnabled(e.id), e.enabled) << e.id;
        EXPECT_EQ(dlg->control(e.id)->isVisibleTo(dlg.get()), e.visible) << e.id;
    }
    EXPECT_TRUE(dlg->isChecked(1016));
    EXPECT_FALSE(dlg->isChecked(1017));
    // The radio buttons form one group: choosing one clears the other.
    dlg->button(1017)->click();
    EXPECT_TRUE(dlg->isChecked(1017));
    EXPECT_FALSE(dlg->isChecked(1016));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Velmora唛头打印助手 V8.3   <一键打印，箱号自动增加>"));
}

TEST_F(StartupTest, ListsHoldTheirEntriesAndSelections) {
    struct Expect { int id; int count; const char* first; const char* last; int selected; const char* selectedText; };
    const Expect table[] = {
        {1026, 2, "MS Office", "WPS", 0, "MS Office"},
        {1005, 146, "10", "300", 20, "50"},
        {1020, 2, "文字横排", "文字竖排", 1, "文字竖排"},
        {1006, 1000, "1", "1000", 0, "1"},
        {1014, 1000, "1", "1000", 9, "10"},
    };
    for (const Expect& e : table) {
        EXPECT_EQ(dlg->listCount(e.id), e.count) << e.id;
        EXPECT_EQ(dlg->listEntry(e.id, 0), QString::fromUtf8(e.first)) << e.id;
        EXPECT_EQ(dlg->listEntry(e.id, e.count - 1), QString::fromUtf8(e.last)) << e.id;
        EXPECT_EQ(dlg->listSelection(e.id), e.selected) << e.id;
        EXPECT_EQ(dlg->controlText(e.id), QString::fromUtf8(e.selectedText)) << e.id;
    }
    EXPECT_EQ(dlg->listEntry(1005, 144), QStringLiteral("298"));
    EXPECT_EQ(dlg->listEntry(1005, 6), QStringLiteral("22"));

    // Faces: the desktop's own face selected, every installed family listed
    // once (the selected face may stand twice), in collation order.
    const QString face = QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
    EXPECT_EQ(dlg->controlText(1004), face);
    const QStringList families = QFontDatabase::families();
    EXPECT_GE(dlg->listCount(1004), families.size());
    EXPECT_LE(dlg->listCount(1004), families.size() + 1);
    QCollator collator{QLocale()};
    for (int i = 1; i < dlg->listCount(1004); ++i)
        EXPECT_LE(collator.compare(dlg->listEntry(1004, i - 1), dlg->listEntry(1004, i)), 0) << i;
}

TEST(StartupValues, SettingsAndFieldsBeforeAndAfterTheFirstPaint) {
    ScriptedDialogs dialogs;
    lk::setUserDialogs(&dialogs);
    g_fontColor = 0x123456;
    g_textDirection = 1;
    CLarkspanDlg d;
    EXPECT_EQ(d.m_previewWidth, 0);
    EXPECT_TRUE(d.m_image.isNull());
    d.create();  // set-up only: the first paint has not run yet
    EXPECT_EQ(g_fontColor, 0u);
    EXPECT_EQ(g_textDirection, 0);
    EXPECT_EQ(g_numberText, QStringLiteral("1"));
    EXPECT_EQ(g_fontSize, 22);
    EXPECT_EQ(g_fontFace, d.controlText(1004));
    EXPECT_EQ(d.m_previewWidth, 470);
    EXPECT_EQ(d.m_previewHeight, 665);
    EXPECT_EQ(d.m_busyPhase, 0);
    EXPECT_EQ(d.m_previewNumber, 1);
    EXPECT_EQ(d.m_dragOffsetX, 0);
    EXPECT_EQ(d.m_dragOffsetY, 0);
    EXPECT_FALSE(d.m_dragging);
    EXPECT_TRUE(d.m_image.isNull());
    EXPECT_NE(d.m_comboFont, nullptr);
    EXPECT_EQ(d.m_comboFont, d.control(1004));
    EXPECT_EQ(d.m_comboTo, d.control(1014));
    // The face list's enumeration ended with the last installed family.
    EXPECT_EQ(d.m_lastFontFace, QFontDatabase::families().last());
    EXPECT_EQ(theApp.restartFlags(), 1u);  // restart support only
    const QSize e22 = lk::textExtent(numberFont(g_fontFace, 22, 0), QStringLiteral("1"));
    EXPECT_NEAR(d.m_numberExtent.cy, 22, 1);
    EXPECT_EQ(d.m_numberRect, (lk::Rect{235, 332, 235 + e22.width(), 332 + e22.height()}));

    QCoreApplication::sendPostedEvents();
    d.updateNow();
    EXPECT_EQ(g_fontSize, 50);
    EXPECT_NEAR(d.m_numberExtent.cy, 50, 1);
    EXPECT_EQ(d.m_numberRect.left, 235);
    EXPECT_EQ(d.m_numberRect.top, 332);
    EXPECT_EQ(d.m_numberRect.width(), d.m_numberExtent.cx);
    EXPECT_EQ(d.m_numberRect.height(), d.m_numberExtent.cy);

    // The About entry follows the platform's entries of the window menu.
    const auto& menu = d.menuItems();
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(menu[menu.size() - 2].command, 0u);
    EXPECT_EQ(menu.back().command, kIdmAboutBox);
    EXPECT_EQ(menu.back().text, QStringLiteral("关于 Larkspan(&A)..."));
    lk::setUserDialogs(nullptr);
}

using SettingsTest = MainWindowTest;

TEST_F(SettingsTest, FirstNumberIsPulledDownToTheLastAndShown) {
    struct Case { const char* last; const char* first; const char* firstAfter; };
    const Case cases[] = {{"10", "25", "10"}, {"10", "10", "10"}, {"10", "4", "4"}, {"1000", "999", "999"}};
    for (const Case& c : cases) {
        pick(*dlg, 1014, QString::fromUtf8(c.last));
        pick(*dlg, 1006, QString::fromUtf8(c.first));
        EXPECT_EQ(dlg->controlText(1006), QString::fromUtf8(c.firstAfter)) << c.first;
        EXPECT_EQ(dlg->controlText(1014), QString::fromUtf8(c.last));
        EXPECT_EQ(g_numberText, QString::fromUtf8(c.firstAfter));
    }
    // Changing the last number alone changes nothing else.
    pick(*dlg, 1006, QStringLiteral("5"));
    pick(*dlg, 1014, QStringLiteral("3"));
    EXPECT_EQ(dlg->controlText(1006), QStringLiteral("5"));
    EXPECT_EQ(dlg->controlText(1014), QStringLiteral("3"));
    EXPECT_EQ(g_numberText, QStringLiteral("5"));
}

TEST_F(SettingsTest, DirectionChangeTurnsTheRectangleAboutItsTopLeftCorner) {
    const lk::Rect before = dlg->m_numberRect;
    pick(*dlg, 1020, QStringLiteral("文字横排"));
    EXPECT_EQ(g_textDirection, 1);
    EXPECT_TRUE(dlg->paintPending());
    repaint();
    EXPECT_EQ(dlg->m_numberRect.left, before.left);
    EXPECT_EQ(dlg->m_numberRect.top, before.top);
    EXPECT_EQ(dlg->m_numberRect.width(), before.height());
    EXPECT_EQ(dlg->m_numberRect.height(), before.width());
    pick(*dlg, 1020, QStringLiteral("文字竖排"));
    EXPECT_EQ(g_textDirection, 0);
    repaint();
    EXPECT_EQ(dlg->m_numberRect, before);
}

TEST_F(SettingsTest, FaceOrSizeChangeRemeasuresOnTheNextPaint) {
    pick(*dlg, 1005, QStringLiteral("100"));
    EXPECT_TRUE(dlg->paintPending());
    EXPECT_EQ(g_fontSize, 50);  // stored by the paint, not the handler
    repaint();
    EXPECT_EQ(g_fontSize, 100);
    EXPECT_NEAR(dlg->m_numberExtent.cy, 100, 1);
    EXPECT_EQ(dlg->m_numberRect.left, 235);

    const QString other = dlg->listEntry(1004, 0);
    pick(*dlg, 1004, other);
    repaint();
    EXPECT_EQ(g_fontFace, other);
}

TEST_F(SettingsTest, ColourDialogOkRepaintsSwatchAndNumberCancelChangesNothing) {
    const int right = dlg->clientRect().width();
    const QPoint swatch(right - 180, 120);
    EXPECT_TRUE(isColor(dlg->clientImage().pixel(swatch), Qt::black));

    dlg->sendCommand(1001);  // no answer queued: cancelled
    EXPECT_EQ(g_fontColor, 0u);
    EXPECT_FALSE(dlg->paintPending());

    dialogs.colors.push_back(QColor(255, 0, 0));
    dlg->sendCommand(1001);
    EXPECT_EQ(g_fontColor, 0x0000FFu);  // 0x00BBGGRR
    repaint();
    const QImage& img = dlg->clientImage();
    EXPECT_TRUE(isColor(img.pixel(swatch), Qt::red));
    EXPECT_TRUE(isColor(img.pixel(right - 200, 110), Qt::red));
    EXPECT_TRUE(isColor(img.pixel(right - 161, 134), Qt::red));
    EXPECT_FALSE(isColor(img.pixel(right - 160, 134), Qt::red));
    EXPECT_FALSE(isColor(img.pixel(right - 200, 135), Qt::red));
    const lk::Rect r = dlg->m_numberRect;
    const QRect redInk = inkBounds(img, r.toQRect(), [](QRgb c) { return isColor(c, Qt::red, 40); });
    EXPECT_FALSE(redInk.isEmpty());
}

using ExitTest = MainWindowTest;

TEST_F(ExitTest, EscapeAndCloseAskBeforeEnding) {
    const auto ask = [&](const std::function<void()>& act, lk::MessageAnswer answer) {
        dialogs.messages.clear();
        dialogs.answers = {answer};
        act();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("您确定要退出吗 ?"));
        EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("larkspan"));
        EXPECT_EQ(dialogs.messages[0].buttons, lk::MessageButtons::YesNo);
        EXPECT_TRUE(dialogs.messages[0].hadOwner);
    };
    ask([&] { QTest::keyClick(dlg.get(), Qt::Key_Escape); }, lk::MessageAnswer::No);
    EXPECT_FALSE(dlg->ended());
    ask([&] { dlg->close(); }, lk::MessageAnswer::No);
    EXPECT_FALSE(dlg->ended());
    EXPECT_EQ(dlg->controlText(1005), QStringLiteral("50"));
    ask([&] { dlg->close(); }, lk::MessageAnswer::Yes);
    EXPECT_TRUE(dlg->ended());
    EXPECT_EQ(dlg->result(), lk::kIdCancel);
}

TEST_F(ExitTest, EnterInAListEndsWithoutAskingEnterOnAButtonClicksIt) {
    dlg->show();
    QTest::keyClick(dlg->control(1001), Qt::Key_Return);  // the colour button: its dialog is asked
    EXPECT_FALSE(dlg->ended());
    QTest::keyClick(dlg->control(1005), Qt::Key_Return);
    EXPECT_TRUE(dlg->ended());
    EXPECT_EQ(dlg->result(), lk::kIdOk);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ExitTest, EscapeAnsweredYesThroughTheWindowMenuCloseToo) {
    dialogs.answers = {lk::MessageAnswer::Yes};
    dlg->runMenuCommand(lk::syscmd::kClose);
    EXPECT_TRUE(dlg->ended());
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
