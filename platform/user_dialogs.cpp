#include "user_dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QThread>

#include "dialog_window.h"
#include "window_handle.h"

#include <atomic>
#include <functional>

namespace lk {

namespace {

// Turns "label|pat1;pat2||" into Qt's "label (pat1 pat2)".
QString qtFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) patterns << p.trimmed();
        out << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out.join(QStringLiteral(";;"));
}

class QtDialogs final : public UserDialogs {
public:
    MessageAnswer messageBox(QWidget* owner, const QString& text, const QString& caption,
                             MessageButtons buttons) override {
        QMessageBox box(QMessageBox::NoIcon, caption, text,
                        buttons == MessageButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                        owner);
        const int r = box.exec();
        if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
        return r == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    std::optional<QColor> chooseColor(QWidget* owner, QColor initial) override {
        QColorDialog dlg(initial, owner);
        if (dlg.exec() != QDialog::Accepted) return std::nullopt;
        return dlg.selectedColor();
    }

    std::optional<QString> openFile(QWidget* owner, const QString& filter) override {
        const QString f = QFileDialog::getOpenFileName(owner, QString(), QString(), qtFilter(filter));
        if (f.isEmpty()) return std::nullopt;
        return f;
    }

    bool choosePrinter(QWidget* owner, QPrinter& printer) override {
        QPrintDialog dlg(&printer, owner);
        dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
        dlg.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
        dlg.setOption(QAbstractPrintDialog::PrintToFile, true);
        return dlg.exec() == QDialog::Accepted;
    }
};

QtDialogs g_qtDialogs;
std::atomic<UserDialogs*> g_dialogs{nullptr};

}  // namespace

UserDialogs& userDialogs() {
    UserDialogs* d = g_dialogs.load();
    return d ? *d : g_qtDialogs;
}

void setUserDialogs(UserDialogs* dialogs) { g_dialogs.store(dialogs); }

QString applicationName() {
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("larkspan") : name;
}

namespace {

// Runs ask on the user-interface thread, waiting for it when called from a worker.
MessageAnswer onUiThread(MessageButtons buttons, const std::function<MessageAnswer()>& ask) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) return ask();
    MessageAnswer answer = buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    QMetaObject::invokeMethod(app, [&] { answer = ask(); }, Qt::BlockingQueuedConnection);
    return answer;
}

}  // namespace

MessageAnswer showMessage(QWidget* owner, const QString& text, MessageButtons buttons, const QString& caption) {
    const QString cap = caption.isNull() ? applicationName() : caption;
    return onUiThread(buttons, [&] { return userDialogs().messageBox(owner, text, cap, buttons); });
}

MessageAnswer showMainWindowMessage(const QString& text, MessageButtons buttons) {
    return onUiThread(buttons, [&] {
        // Looked up on the user-interface thread, where windows end.
        QWidget* owner = nullptr;
        if (WindowRef w = mainWindow()) w->runOnWindowThread([&](DialogWindow& d) { owner = &d; });
        return userDialogs().messageBox(owner, text, applicationName(), buttons);
    });
}

}  // namespace lk
