#pragma once
// Message numbers and the message record that a dialog window routes to its
// handlers. Posted messages keep their numbers (user messages count from
// kUserMessage), so a worker and the window agree on what a number means.

#include <QIcon>
#include <QPoint>
#include <cstdint>

class QPainter;

namespace lk {

namespace msg {
constexpr unsigned kPaint = 0x000F;
constexpr unsigned kEraseBackground = 0x0014;
constexpr unsigned kQueryDragIcon = 0x0037;
constexpr unsigned kCommand = 0x0111;
constexpr unsigned kSystemCommand = 0x0112;
constexpr unsigned kTimer = 0x0113;
constexpr unsigned kMouseMove = 0x0200;
constexpr unsigned kLeftButtonDown = 0x0201;
constexpr unsigned kLeftButtonUp = 0x0202;
constexpr unsigned kUser = 0x0400;
}  // namespace msg

// Notification codes carried by kCommand.
namespace notify {
constexpr unsigned kClicked = 0;
constexpr unsigned kSelectionChanged = 1;
}  // namespace notify

// Command ids every dialog understands.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Window-menu commands.
namespace syscmd {
constexpr unsigned kMinimize = 0xF020;
constexpr unsigned kClose = 0xF060;
}  // namespace syscmd

// Mouse key-state flags.
constexpr unsigned kLeftButtonFlag = 0x0001;

struct WindowMessage {
    unsigned id = 0;
    std::uintptr_t wParam = 0;   // commands: control id | code << 16; system commands: command
    std::intptr_t lParam = 0;
    QPoint point;                // mouse messages, in client coordinates
    QPainter* surface = nullptr; // background erasing: the surface to erase
    std::intptr_t result = 0;
    QIcon icon;                  // icon queries: the answer

    int controlId() const { return static_cast<int>(wParam & 0xFFFF); }
    unsigned notifyCode() const { return static_cast<unsigned>((wParam >> 16) & 0xFFFF); }
};

inline std::uintptr_t commandParam(int controlId, unsigned code) {
    return (static_cast<std::uintptr_t>(code) << 16) | static_cast<std::uintptr_t>(controlId & 0xFFFF);
}

}  // namespace lk
