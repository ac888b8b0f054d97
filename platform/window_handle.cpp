#include "window_handle.h"

#include "dialog_window.h"

#include <QCoreApplication>
#include <QThread>

namespace lk {

class PostedMessageEvent;
QEvent* makePostedMessageEvent(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

bool WindowHandle::post(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard lock(mutex_);
    if (!window_) return false;
    QCoreApplication::postEvent(window_, makePostedMessageEvent(message, wParam, lParam));
    return true;
}

bool WindowHandle::runOnWindowThread(const std::function<void(DialogWindow&)>& f) {
    // Windows are only destroyed on the user-interface thread, so looking the
    // window up there, right before the call, cannot race with its end.
    auto run = [this, &f] {
        DialogWindow* w;
        {
            std::lock_guard lock(mutex_);
            w = window_;
        }
        if (!w) return false;
        f(*w);
        return true;
    };
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    if (QThread::currentThread() == app->thread()) return run();
    bool ran = false;
    QMetaObject::invokeMethod(app, [&] { ran = run(); }, Qt::BlockingQueuedConnection);
    return ran;
}

bool WindowHandle::alive() const {
    std::lock_guard lock(mutex_);
    return window_ != nullptr;
}

void WindowHandle::detach() {
    std::lock_guard lock(mutex_);
    window_ = nullptr;
}

namespace {
std::mutex g_mainMutex;
WindowRef g_main;
}  // namespace

void setMainWindow(WindowRef w) {
    std::lock_guard lock(g_mainMutex);
    g_main = std::move(w);
}

WindowRef mainWindow() {
    std::lock_guard lock(g_mainMutex);
    return g_main;
}

bool postToMainWindow(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    WindowRef w = mainWindow();
    return w && w->post(message, wParam, lParam);
}

}  // namespace lk
