#include "test_support.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

lk::MessageAnswer ScriptedDialogs::messageBox(QWidget* owner, const QString& text, const QString& caption,
                                              lk::MessageButtons buttons) {
    messages.push_back({text, caption, buttons, owner != nullptr});
    if (!answers.empty()) {
        const lk::MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == lk::MessageButtons::YesNo ? lk::MessageAnswer::No : lk::MessageAnswer::Ok;
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, QColor) {
    if (colors.empty()) return std::nullopt;
    auto c = colors.front();
    colors.pop_front();
    return c;
}

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const QString& filter) {
    fileFilters.push_back(filter);
    if (files.empty()) return std::nullopt;
    const QString f = files.front();
    files.pop_front();
    if (f.isNull()) return std::nullopt;
    return f;
}

bool ScriptedDialogs::choosePrinter(QWidget*, QPrinter& p) {
    ++printDialogs;
    return printer ? printer(p) : false;
}

void settle(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents();
        if (ms > 0) QThread::msleep(1);
    } while (t.elapsed() < ms);
}

bool waitFor(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

void MainWindowTest::SetUp() {
    lk::setUserDialogs(&dialogs);
    dlg = std::make_unique<CLarkspanDlg>();
    lk::setMainWindow(dlg->handle());
    dlg->create();
    repaint();
}

void MainWindowTest::TearDown() {
    dlg.reset();
    lk::setMainWindow(nullptr);
    lk::setUserDialogs(nullptr);
}

void MainWindowTest::repaint() {
    QCoreApplication::sendPostedEvents();
    dlg->updateNow();
}

void pick(CLarkspanDlg& d, int id, const QString& text) {
    QComboBox* cb = d.comboBox(id);
    const int i = cb->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    cb->setCurrentIndex(i);
    emit cb->activated(i);
}

QRect inkBounds(const QImage& img, const QRect& area, const std::function<bool(QRgb)>& pred) {
    QRect box;
    const QRect a = area.intersected(img.rect());
    for (int y = a.top(); y <= a.bottom(); ++y)
        for (int x = a.left(); x <= a.right(); ++x)
            if (pred(img.pixel(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

bool isDark(QRgb c) { return qGray(c) < 128; }

bool isColor(QRgb c, QColor want, int tolerance) {
    return std::abs(qRed(c) - want.red()) <= tolerance && std::abs(qGreen(c) - want.green()) <= tolerance &&
           std::abs(qBlue(c) - want.blue()) <= tolerance;
}
