// The print command: refuses when there is nothing to print, copies the
// print settings into PrintJob and starts the print worker.

#include "decimal_text.h"
#include "import_request.h"
#include "larkspan_dlg.h"
#include "print_job.h"
#include "print_worker.h"
#include "settings.h"
#include "user_dialogs.h"
#include "worker_thread.h"

namespace {

// A print command whose worker has not finished yet. The worker loads its
// picture before the print dialog appears, so a quick second click would
// otherwise start a second job. Touched on the user-interface thread only.
bool g_printStarted = false;

}  // namespace

void CLarkspanDlg::OnBnClickedPrint() {
    if (g_printStarted) return;
    if (m_image.isNull()) {
        lk::showMessage(this, QStringLiteral("无可打印的内容"));
        return;
    }
    const QString face = controlText(ctl::kFontFace);
    const QString first = controlText(ctl::kRangeFrom);
    const QString last = controlText(ctl::kRangeTo);
    const QString direction = controlText(ctl::kDirection);

    if (direction == QStringLiteral("文字竖排")) PrintJob.textDirection = 0;
    else if (direction == QStringLiteral("文字横排")) PrintJob.textDirection = 1;
    PrintJob.fontColor = g_fontColor;
    PrintJob.fontFace = face;
    PrintJob.firstNumber = decimalToInt(first);
    PrintJob.lastNumber = decimalToInt(last);
    if (isChecked(ctl::kOnePerSheet)) PrintJob.labelsPerSheet = 1;
    else if (isChecked(ctl::kTwoPerSheet)) PrintJob.labelsPerSheet = 2;
    PrintJob.xRatio = static_cast<double>(m_numberRect.left) / m_previewWidth;
    PrintJob.yRatio = static_cast<double>(m_numberRect.top) / m_previewHeight;
    PrintJob.heightRatio = static_cast<double>(m_numberExtent.cy) / m_previewHeight;

    // The worker gets its own copies: nothing it reads can change under it.
    g_printStarted = true;
    lk::startIdleWorker([window = handle(), job = PrintJob, path = ImportRequest.pagePicturePath] {
        PrintWorker(window, job, path);
        window->runOnWindowThread([](lk::DialogWindow&) { g_printStarted = false; });
    });
}
