// Starts Larkspan. Without a display it says so in one line and ends.

#include "larkspan_app.h"
#include "worker_thread.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr const char* kNoDisplay =
    "larkspan: no display to open the window on (DISPLAY is not set or the X server cannot be reached); "
    "start Larkspan from a desktop session.\n";

bool qtStarted = false;

// Qt ends the process when no display can be opened; say so plainly instead.
void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!qtStarted && context.category && QByteArray(context.category).startsWith("qt.qpa")) return;
    if (type == QtFatalMsg && !qtStarted) {
        std::fputs(kNoDisplay, stderr);
        _exit(1);
    }
    const QByteArray line = qFormatLogMessage(type, context, text).toLocal8Bit();
    std::fprintf(stderr, "%s\n", line.constData());
    if (type == QtFatalMsg) std::abort();
}

bool haveDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland")) return true;
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

}  // namespace

int main(int argc, char** argv) {
    if (!haveDisplay()) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    // Sizes are physical pixels: the preview is 470 by 665 screen pixels.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qInstallMessageHandler(messageHandler);
    QApplication app(argc, argv);
    qtStarted = true;
    QApplication::setApplicationName(QStringLiteral("larkspan"));
    QApplication::setDesktopFileName(QStringLiteral("larkspan"));

    theApp.InitInstance();

    // Workers still running are not waited for.
    if (lk::runningWorkers() > 0) {
        std::fflush(nullptr);
        _exit(0);
    }
    return 0;
}
