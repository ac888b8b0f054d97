#pragma once
// A dialog window built from a template. It keeps a client image (its backing
// store): invalidating a rectangle runs the background handler (clipped to the
// invalid area) and then the paint handler; drawing outside painting goes into
// the same image through a ClientSurface and stays until that area is erased.
// Messages, control notifications, timers and posted messages all arrive at
// routeMessage(), which each window class answers with its binding table.

#include "dialog_template.h"
#include "window_handle.h"
#include "window_message.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <map>
#include <memory>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QEventLoop;
class QTimer;

namespace lk {

class DialogWindow : public QWidget {
    Q_OBJECT
public:
    explicit DialogWindow(const DialogTemplate& tmpl, QWidget* owner = nullptr);
    ~DialogWindow() override;

    // Builds the controls and runs the set-up handler (once).
    void create();
    // Creates, shows and runs the window until endDialog(); returns its result.
    int runModal();
    void endDialog(int result);
    bool ended() const { return ended_; }
    int result() const { return result_; }

    const DialogTemplate& dialogTemplate() const { return tmpl_; }
    WindowRef handle() const { return handle_; }

    // Controls by id.
    QWidget* control(int id) const;
    QComboBox* comboBox(int id) const;
    QAbstractButton* button(int id) const;
    QString controlText(int id) const;            // caption, or a list's selected text
    void setControlText(int id, const QString& text);
    void enableControl(int id, bool enable);
    bool isControlEnabled(int id) const;
    bool isChecked(int id) const;
    void setChecked(int id, bool checked);
    // Lists: adds an entry (at its sorted place for sorted lists) and returns its index.
    int addListEntry(int id, const QString& text);
    int listSelection(int id) const;              // -1 when nothing is selected
    void setListSelection(int id, int index);
    QString listEntry(int id, int index) const;
    int listCount(int id) const;

    // Simulates the user acting on a control: the notification reaches the handlers.
    void sendCommand(int controlId, unsigned code = notify::kClicked);
    // Runs a message through the window's routing and default processing.
    std::intptr_t sendMessage(WindowMessage m);

    // Client area and drawing.
    QRect clientRect() const { return QRect(QPoint(0, 0), clientSize_); }
    QImage& clientImage() { return image_; }
    const QImage& clientImage() const { return image_; }
    void invalidate(const QRect& r, bool erase = true);
    void invalidateAll(bool erase = true) { invalidate(clientRect(), erase); }
    // Runs a pending erase-and-paint now instead of when the queue is idle.
    void updateNow();
    bool paintPending() const { return paintQueued_; }

    // Timers by id.
    void setTimer(unsigned id, int milliseconds);
    void killTimer(unsigned id);
    bool timerRunning(unsigned id) const;

    // Posted messages (user-interface thread; workers use handle()).
    void postMessage(unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);

    // Mouse capture: moves and the release reach the window even outside it.
    void captureMouse();
    void releaseMouseCapture();
    bool hasMouseCapture() const { return captured_; }

    // The window menu stand-in (the context menu of the window's background).
    void appendMenuSeparator();
    void appendMenuItem(unsigned command, const QString& text);
    struct MenuItem { unsigned command; QString text; };
    const std::vector<MenuItem>& menuItems() const { return menu_; }
    void runMenuCommand(unsigned command);

    // Dialog units to pixels, from the dialog font.
    QRect unitsToPixels(int x, int y, int cx, int cy) const;
    QFont dialogFont() const { return dialogFont_; }

    void setIcons(const QIcon& big, const QIcon& small);

protected:
    // The set-up handler, run once by create().
    virtual bool onInitDialog() { return true; }
    // The window class's binding table; false when no binding matched.
    virtual bool routeMessage(WindowMessage& m) = 0;
    // What happens to a message no binding took.
    virtual void defaultMessage(WindowMessage& m);

    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void buildControls();
    void runPaint();
    QWidget* makeControl(const ControlTemplate& c);

    const DialogTemplate& tmpl_;
    WindowRef handle_;
    QFont dialogFont_;
    int baseX_ = 7, baseY_ = 14;
    QSize clientSize_;
    QImage image_;
    QRegion invalid_;
    bool eraseWanted_ = false;
    bool paintQueued_ = false;
    bool created_ = false;
    bool ended_ = false;
    bool captured_ = false;
    int result_ = 0;
    std::map<int, QWidget*> controls_;
    std::vector<QButtonGroup*> radioGroups_;
    std::map<unsigned, QTimer*> timers_;
    std::vector<MenuItem> menu_;
    QEventLoop* loop_ = nullptr;
};

// A drawing surface for a window's whole client area, outside painting.
// What is drawn lands in the client image and is shown when the surface ends.
class ClientSurface {
public:
    explicit ClientSurface(DialogWindow& w);
    ~ClientSurface();
    ClientSurface(const ClientSurface&) = delete;
    ClientSurface& operator=(const ClientSurface&) = delete;
    QPainter& painter() { return painter_; }
    QPainter* operator->() { return &painter_; }

private:
    DialogWindow& window_;
    QPainter painter_;
};

}  // namespace lk
