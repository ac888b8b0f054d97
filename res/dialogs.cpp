#include "dialogs.h"

using namespace lk;

namespace res {
namespace {

// Main window, in tab order. Positions are x, y, width, height in dialog units.
constexpr ControlTemplate kMainControls[] = {
    {1, ControlKind::DefaultPushButton, "确定", 290, 389, 50, 14, kHidden | kTabStop},
    {2, ControlKind::PushButton, "取消", 342, 389, 50, 14, kHidden | kTabStop},
    {1000, ControlKind::PushButton, "导入文件", 313, 15, 50, 23, kTabStop},
    {1001, ControlKind::PushButton, "字体颜色选取", 330, 63, 50, 14, kTabStop},
    {1002, ControlKind::PushButton, "预览", 45, 387, 50, 14, kTabStop},
    {1003, ControlKind::PushButton, "下一页", 110, 387, 50, 14, kTabStop},
    {1004, ControlKind::DropDownList, "", 332, 83, 48, 30, kTabStop | kSorted | kVScroll},
    {1005, ControlKind::DropDownList, "", 332, 101, 48, 30, kTabStop | kVScroll},
    {1006, ControlKind::DropDownList, "", 305, 175, 28, 13, kTabStop | kVScroll},
    {1014, ControlKind::DropDownList, "", 359, 175, 28, 30, kTabStop | kVScroll},
    {1015, ControlKind::PushButton, "上一页", 175, 387, 50, 14, kTabStop},
    {-1, ControlKind::Label, "打印范围：", 290, 155, 35, 8, kGroup},
    {-1, ControlKind::Label, "——", 340, 176, 14, 8, kGroup},
    {1016, ControlKind::AutoRadioButton, "每版打印一页", 288, 235, 51, 10, kNone},
    {1017, ControlKind::AutoRadioButton, "每版打印两页", 288, 252, 51, 10, kNone},
    {-1, ControlKind::GroupBox, "设置", 279, 49, 125, 144, kNone},
    {1018, ControlKind::PushButton, "打印", 345, 238, 50, 25, kTabStop},
    {1020, ControlKind::DropDownList, "", 332, 119, 48, 30, kTabStop | kSorted | kVScroll},
    {-1, ControlKind::Label, "字体选取：", 290, 84, 35, 8, kGroup},
    {-1, ControlKind::Label, "字体大小：", 290, 103, 35, 8, kGroup},
    {-1, ControlKind::Label, "文字方向：", 290, 122, 35, 8, kGroup},
    {-1, ControlKind::GroupBox, "打印", 279, 226, 125, 43, kNone},
    {1023, ControlKind::PushButton, "关于我们", 345, 316, 50, 14, kTabStop},
    {-1, ControlKind::GroupBox, "关于我们", 280, 286, 124, 66, kNone},
    {1024, ControlKind::PushButton, "访问官网", 345, 300, 50, 14, kTabStop},
    {-1, ControlKind::Label, "Word版本：", 290, 139, 39, 8, kGroup},
    {1026, ControlKind::DropDownList, "", 332, 137, 48, 30, kTabStop | kVScroll},
};

constexpr DialogTemplate kMain{
    kMainDialog, "Larkspan", 411, 410, "MS Shell Dlg", 9,
    kMinimizeBox | kSystemMenu | kTaskbarButton, kMainControls,
};

constexpr ControlTemplate kAboutControls[] = {
    {1, ControlKind::DefaultPushButton, "关闭", 138, 15, 50, 14, kHidden | kTabStop | kGroup},
    {1000, ControlKind::PushButton, "访问官网", 127, 94, 54, 14, kTabStop},
    {1001, ControlKind::PushButton, "访问官方淘宝店", 68, 94, 54, 14, kTabStop},
};

constexpr DialogTemplate kAbout{
    kAboutDialog, "关于 Larkspan", 195, 116, "MS Shell Dlg", 9, kSystemMenu, kAboutControls,
};

}  // namespace

const DialogTemplate& mainDialog() { return kMain; }
const DialogTemplate& aboutDialog() { return kAbout; }
const char* aboutMenuText() { return "关于 Larkspan(&A)..."; }

}  // namespace res
