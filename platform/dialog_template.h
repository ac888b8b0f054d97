#pragma once
// A dialog described as data: its size and font in dialog units and points,
// and its controls in tab order with their ids, texts, places and styles.

#include <span>

namespace lk {

enum class ControlKind {
    PushButton,
    DefaultPushButton,
    DropDownList,
    Label,
    GroupBox,
    AutoRadioButton,
};

// Style bits of a control.
enum ControlStyle : unsigned {
    kNone = 0,
    kHidden = 1u << 0,     // created but not visible
    kTabStop = 1u << 1,    // reached with the Tab key
    kGroup = 1u << 2,      // starts a group (radio buttons of one group exclude each other)
    kSorted = 1u << 3,     // a list that inserts each entry at its sorted place
    kVScroll = 1u << 4,    // a list with a vertical scroll bar
    kDisabled = 1u << 5,   // created disabled
};

struct ControlTemplate {
    int id;              // -1 for a control nobody addresses
    ControlKind kind;
    const char* text;    // UTF-8
    int x, y, cx, cy;    // dialog units
    unsigned style;
};

// Window style bits of a dialog.
enum DialogStyle : unsigned {
    kMinimizeBox = 1u << 0,
    kSystemMenu = 1u << 1,
    kTaskbarButton = 1u << 2,
};

struct DialogTemplate {
    int id;
    const char* caption;  // UTF-8
    int cx, cy;           // client size in dialog units
    const char* fontFace; // the dialog font
    int fontPoints;
    unsigned style;
    std::span<const ControlTemplate> controls;
};

}  // namespace lk
