#include "larkspan_app.h"

#include "larkspan_dlg.h"
#include "single_instance.h"

namespace {
// Restart support only: the desktop may start the program again after a crash.
constexpr unsigned kRestartSupport = 1;
}  // namespace

CLarkspanApp theApp;

CLarkspanApp::CLarkspanApp() : restartFlags_(kRestartSupport) {}

bool CLarkspanApp::InitInstance() {
    lk::SingleInstance instance(QStringLiteral("Larkspan"));
    if (!instance.acquire()) {
        // Another instance runs: bring its window forward and end without one.
        instance.activateRunning(productTitle());
        return false;
    }
    instance.listen();

    CLarkspanDlg dlg;
    lk::setMainWindow(dlg.handle());
    dlg.runModal();
    lk::setMainWindow(nullptr);
    return false;
}
