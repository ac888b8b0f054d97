// The end of a print job on the window's side: the busy notice stops, the
// picture is reloaded, the controls come back and the user hears how the
// job went.

#include "busy_notice.h"
#include "import_request.h"
#include "larkspan_dlg.h"
#include "print_worker.h"
#include "user_dialogs.h"

long CLarkspanDlg::OnPrintDone(std::uintptr_t wParam, std::intptr_t) {
    StopBusyNotice(*this);
    m_image.destroy();
    m_image.load(ImportRequest.pagePicturePath);
    invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);
    DoDataExchange();

    // The normal, non-preview state: page stepping stays off until preview
    // mode is entered again.
    enableControl(ctl::kImportFile, true);
    enableControl(ctl::kFontColor, true);
    enableControl(ctl::kPreview, true);
    enableControl(ctl::kNextPage, false);
    enableControl(ctl::kPreviousPage, false);
    enableControl(ctl::kPrint, true);
    enableControl(ctl::kFontFace, true);
    enableControl(ctl::kFontSize, true);
    enableControl(ctl::kRangeFrom, true);
    enableControl(ctl::kRangeTo, true);
    enableControl(ctl::kDirection, true);

    lk::showMessage(this, wParam == kPrintDelivered ? QStringLiteral("完成文件传输至打印机")
                                                    : QStringLiteral("打印失败，文件未能传输至打印机"));
    return 0;
}
