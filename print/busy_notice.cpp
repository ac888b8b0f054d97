// The busy notice: "正在处理中" and three squares at the bottom right while a
// worker runs.

#include "busy_notice.h"

#include "larkspan_dlg.h"

#include <QFontMetrics>
#include <QThread>

namespace {

// The notice's places, from the client area's right edge and from 40 pixels
// above its bottom edge (right and bottom exclusive).
struct NoticeGeometry {
    int right, base;
    explicit NoticeGeometry(const QRect& client) : right(client.width()), base(client.height() - 40) {}
    QRect square(int i) const { return QRect(right - 165 + 25 * i, base + 10, 20, 20); }
    QPoint textTopLeft() const { return QPoint(right - 90, base + 10); }
    QRect eraseArea() const { return QRect(right - 170, base, 160, 45); }
};

const QColor kBlack(0, 0, 0);
const QColor kMagenta(255, 0, 255);
const QColor kEraseGrey(240, 240, 240);

// Runs f with the window on its own thread: timers and drawing belong there.
// From a worker the call waits until it has run, and does nothing once the
// window has ended.
void onWindowThread(lk::DialogWindow& window, void (*f)(lk::DialogWindow&)) {
    if (QThread::currentThread() == window.thread()) f(window);
    else window.handle()->runOnWindowThread(f);
}

}  // namespace

void StartBusyNotice(lk::DialogWindow& window) {
    onWindowThread(window, [](lk::DialogWindow& w) { w.setTimer(kBusyTimerId, kBusyTimerPeriodMs); });
}

void StopBusyNotice(lk::DialogWindow& window) {
    onWindowThread(window, [](lk::DialogWindow& w) {
        w.killTimer(kBusyTimerId);
        const NoticeGeometry g(w.clientRect());
        lk::ClientSurface s(w);
        // The part below the client area is clipped away.
        s->fillRect(g.eraseArea(), kEraseGrey);
    });
}

void CLarkspanDlg::OnTimer(unsigned) {
    const NoticeGeometry g(clientRect());
    lk::ClientSurface s(*this);
    QPainter& p = s.painter();

    // The window's own font and text colour; the text goes over itself at
    // every tick without being erased in between.
    p.setFont(font());
    p.setPen(kBlack);
    p.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(p.font());
    p.drawText(g.textTopLeft() + QPoint(0, fm.ascent()), QStringLiteral("正在处理中"));

    // The black square steps from left to right; the phase goes on from where
    // the last busy period stopped.
    ++m_busyPhase;
    const int black = m_busyPhase - 1;
    for (int i = 0; i < 3; ++i) p.fillRect(g.square(i), i == black ? kBlack : kMagenta);
    if (m_busyPhase >= 3) m_busyPhase = 0;
}
