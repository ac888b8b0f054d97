// Preview mode: entering and leaving it, what it locks, and stepping the
// shown number through the range.

#include "settings.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QComboBox>

namespace {

class PreviewModeTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QImage design(210, 297, QImage::Format_RGB32);
        design.fill(Qt::white);
        dlg->m_image.attach(design);
    }
    void pickRange(int first, int last) {
        dlg->setListSelection(1014, last - 1);
        dlg->setListSelection(1006, first - 1);
        g_numberText = dlg->controlText(1006);
    }
    // Clicks a button as a person would: a disabled button does nothing.
    void click(int id) { dlg->button(id)->click(); }
    QImage previewArea() const { return dlg->clientImage().copy(0, 0, 470, 665); }
};

// Locked while preview mode is on, unlocked while it is off.
constexpr int kLocked[] = {1000, 1001, 1018, 1004, 1005, 1006, 1014, 1020};
constexpr int kStepping[] = {1003, 1015};
constexpr int kUntouched[] = {1026, 1016, 1017, 1023, 1024};

TEST_F(PreviewModeTest, EnteringLocksTheSettingsAndLeavingUnlocksThem) {
    // Controls preview mode leaves alone keep whatever state they have.
    dlg->enableControl(1026, false);
    dlg->enableControl(1024, false);
    const auto untouchedState = [&] {
        std::vector<bool> s;
        for (int id : kUntouched) s.push_back(dlg->isControlEnabled(id));
        return s;
    };
    const std::vector<bool> before = untouchedState();

    click(1002);
    EXPECT_EQ(dlg->controlText(1002), QStringLiteral("取消预览"));
    for (int id : kLocked) EXPECT_FALSE(dlg->isControlEnabled(id)) << id;
    for (int id : kStepping) EXPECT_TRUE(dlg->isControlEnabled(id)) << id;
    EXPECT_EQ(untouchedState(), before);
    EXPECT_EQ(dlg->m_previewNumber, 1);
    EXPECT_FALSE(dlg->paintPending());  // the first number is already shown

    // The number can still be dragged while the mode is on.
    repaint();
    const lk::Rect r = dlg->m_numberRect;
    const QPoint grab(r.left + 2, r.top + 2);
    lk::WindowMessage m;
    m.id = lk::msg::kLeftButtonDown;
    m.wParam = lk::kLeftButtonFlag;
    m.point = grab;
    dlg->sendMessage(m);
    m.id = lk::msg::kMouseMove;
    m.point = grab - QPoint(40, 30);
    dlg->sendMessage(m);
    m.id = lk::msg::kLeftButtonUp;
    m.wParam = 0;
    dlg->sendMessage(m);
    EXPECT_EQ(dlg->m_numberRect.left, r.left - 40);
    EXPECT_EQ(dlg->m_numberRect.top, r.top - 30);

    click(1002);
    EXPECT_EQ(dlg->controlText(1002), QStringLiteral("预览"));
    for (int id : kLocked) EXPECT_TRUE(dlg->isControlEnabled(id)) << id;
    for (int id : kStepping) EXPECT_FALSE(dlg->isControlEnabled(id)) << id;
    EXPECT_EQ(untouchedState(), before);
    EXPECT_TRUE(dlg->paintPending());
}

TEST_F(PreviewModeTest, WithoutAPictureNothingHappens) {
    dlg->m_image.destroy();
    dlg->m_previewNumber = 42;
    click(1002);
    EXPECT_EQ(dlg->controlText(1002), QStringLiteral("预览"));
    EXPECT_EQ(dlg->m_previewNumber, 42);
    for (int id : kLocked) EXPECT_TRUE(dlg->isControlEnabled(id)) << id;
    for (int id : kStepping) EXPECT_FALSE(dlg->isControlEnabled(id)) << id;
    EXPECT_FALSE(dlg->paintPending());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(PreviewModeTest, SteppingStaysWithinTheRange) {
    pickRange(1, 10);
    click(1002);
    EXPECT_EQ(g_numberText, QStringLiteral("1"));
    for (int n = 2; n <= 10; ++n) {
        click(1003);
        EXPECT_EQ(g_numberText, QString::number(n));
        EXPECT_EQ(dlg->m_previewNumber, n);
        EXPECT_TRUE(dlg->paintPending());
        repaint();
    }
    click(1003);  // already at the last number: unchanged, but repainted
    EXPECT_EQ(g_numberText, QStringLiteral("10"));
    EXPECT_TRUE(dlg->paintPending());
    repaint();
    for (int n = 9; n >= 1; --n) {
        click(1015);
        EXPECT_EQ(g_numberText, QString::number(n));
    }
    click(1015);
    EXPECT_EQ(g_numberText, QStringLiteral("1"));
    EXPECT_EQ(dlg->m_previewNumber, 1);
    EXPECT_TRUE(dlg->paintPending());
}

TEST_F(PreviewModeTest, ARangeEndingBelowItsStartDoesNotStep) {
    // The last-number list can be set below the first one.
    pickRange(5, 3);
    click(1002);
    EXPECT_EQ(dlg->m_previewNumber, 5);
    click(1003);
    EXPECT_EQ(g_numberText, QStringLiteral("5"));
    click(1015);
    EXPECT_EQ(g_numberText, QStringLiteral("5"));
    EXPECT_EQ(dlg->m_previewNumber, 5);
}

TEST_F(PreviewModeTest, PreviousPageNeedsTheNumberInsideTheRange) {
    // A number above the last one (stepped there before the range changed)
    // does not step down.
    pickRange(2, 10);
    click(1002);
    dlg->m_previewNumber = 12;
    g_numberText = QStringLiteral("12");
    click(1015);
    EXPECT_EQ(dlg->m_previewNumber, 12);
    dlg->m_previewNumber = 10;
    click(1015);
    EXPECT_EQ(dlg->m_previewNumber, 9);
    EXPECT_EQ(g_numberText, QStringLiteral("9"));
}

TEST_F(PreviewModeTest, LeavingShowsTheFirstNumberAgain) {
    pickRange(1, 10);
    repaint();
    const QImage atFirst = previewArea();
    click(1002);
    for (int i = 0; i < 6; ++i) click(1003);
    repaint();
    EXPECT_EQ(g_numberText, QStringLiteral("7"));
    EXPECT_NE(previewArea(), atFirst);

    click(1002);
    EXPECT_EQ(g_numberText, QStringLiteral("1"));
    repaint();
    EXPECT_EQ(previewArea(), atFirst);

    // Entering again starts from the first number, not from 7.
    click(1002);
    click(1003);
    EXPECT_EQ(g_numberText, QStringLiteral("2"));
}

}  // namespace
