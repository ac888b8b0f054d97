#pragma once
// A thread-safe way to reach a window from a worker thread. Posting to a
// window that has ended does nothing; the handle outlives the window.

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace lk {

class DialogWindow;

class WindowHandle {
public:
    explicit WindowHandle(DialogWindow* w) : window_(w) {}

    // Queues a message for the window's thread; false when the window has ended.
    bool post(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // Runs f on the window's thread with the window and waits for it to finish.
    // Does nothing (and returns false) when the window has ended.
    bool runOnWindowThread(const std::function<void(DialogWindow&)>& f);

    bool alive() const;
    void detach();  // called by the window as it ends

private:
    mutable std::mutex mutex_;
    DialogWindow* window_;
};

using WindowRef = std::shared_ptr<WindowHandle>;

// The application's main window, as workers reach it.
void setMainWindow(WindowRef w);
WindowRef mainWindow();
bool postToMainWindow(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

}  // namespace lk
