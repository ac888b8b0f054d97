// How long one mouse move of a drag takes to redraw the preview, with a page
// picture of 2100 by 2970 and of 4200 by 5940 pixels. Prints the median and
// the 95th percentile over many moves.

#include "larkspan_dlg.h"
#include "window_handle.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QImage designPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QRandomGenerator rng(7);
    for (int i = 0; i < 400; ++i)
        p.fillRect(QRect(rng.bounded(w), rng.bounded(h), rng.bounded(w / 4), rng.bounded(h / 8)),
                   QColor::fromRgb(rng.generate()));
    return img;
}

void measure(CLarkspanDlg& dlg, int w, int h) {
    dlg.m_image.attach(designPicture(w, h));
    dlg.invalidateAll();
    dlg.updateNow();

    lk::WindowMessage m;
    m.id = lk::msg::kLeftButtonDown;
    m.point = QPoint(dlg.m_numberRect.left + 1, dlg.m_numberRect.top + 1);
    dlg.sendMessage(m);

    std::vector<double> ms;
    QElapsedTimer t;
    for (int i = 0; i < 400; ++i) {
        m.id = lk::msg::kMouseMove;
        m.point = QPoint(50 + (i * 7) % 380, 50 + (i * 13) % 560);
        t.start();
        dlg.sendMessage(m);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    m.id = lk::msg::kLeftButtonUp;
    dlg.sendMessage(m);
    std::sort(ms.begin(), ms.end());
    std::printf("drag redraw, %d x %d picture: median %.3f ms, p95 %.3f ms, slowest %.3f ms (%zu moves)\n", w, h,
                ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back(), ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CLarkspanDlg dlg;
    dlg.create();
    dlg.updateNow();
    measure(dlg, 2100, 2970);
    measure(dlg, 4200, 5940);
    return 0;
}
