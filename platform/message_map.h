#pragma once
// One binding table per window class: which message or control notification
// goes to which handler, in the order the table lists them.

#include "window_message.h"

#include <QIcon>

#include <span>
#include <variant>

namespace lk {

template <class W>
struct MessageBinding {
    using Plain = void (W::*)();                               // notifications, paint
    using Mouse = void (W::*)(unsigned flags, QPoint point);   // mouse messages
    using Timer = void (W::*)(unsigned timerId);               // timer ticks
    using User = long (W::*)(std::uintptr_t, std::intptr_t);   // posted user messages
    using Erase = bool (W::*)(QPainter& surface);              // background erasing
    using System = void (W::*)(unsigned command, std::intptr_t param);
    using Icon = QIcon (W::*)() const;                          // the icon a query asks for
    using Handler = std::variant<Plain, Mouse, Timer, User, Erase, System, Icon>;

    unsigned message;
    int control = 0;     // kCommand only: the control id
    unsigned code = 0;   // kCommand only: the notification code
    Handler handler;
};

template <class W>
MessageBinding<W> onCommand(int control, unsigned code, typename MessageBinding<W>::Plain h) {
    return {msg::kCommand, control, code, h};
}

// Runs the first binding that matches m; returns false when none does.
template <class W>
bool routeMessage(W& window, std::span<const MessageBinding<W>> table, WindowMessage& m) {
    using B = MessageBinding<W>;
    for (const B& b : table) {
        if (b.message != m.id) continue;
        if (m.id == msg::kCommand && (b.control != m.controlId() || b.code != m.notifyCode())) continue;
        if (auto h = std::get_if<typename B::Plain>(&b.handler)) {
            (window.*(*h))();
        } else if (auto h = std::get_if<typename B::Mouse>(&b.handler)) {
            (window.*(*h))(static_cast<unsigned>(m.wParam), m.point);
        } else if (auto h = std::get_if<typename B::Timer>(&b.handler)) {
            (window.*(*h))(static_cast<unsigned>(m.wParam));
        } else if (auto h = std::get_if<typename B::User>(&b.handler)) {
            m.result = (window.*(*h))(m.wParam, m.lParam);
        } else if (auto h = std::get_if<typename B::Erase>(&b.handler)) {
            m.result = m.surface && (window.*(*h))(*m.surface) ? 1 : 0;
        } else if (auto h = std::get_if<typename B::System>(&b.handler)) {
            (window.*(*h))(static_cast<unsigned>(m.wParam), m.lParam);
        } else if (auto h = std::get_if<typename B::Icon>(&b.handler)) {
            m.icon = (window.*(*h))();
        }
        return true;
    }
    return false;
}

}  // namespace lk
