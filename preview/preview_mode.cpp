// Preview mode: stepping the shown number through the range before printing.
// The mode has no flag of its own: the caption of the preview button says
// whether it is on. While it is on, everything that would change the printed
// labels is locked, so the numbers stepped through are the ones that print.

#include "decimal_text.h"
#include "larkspan_dlg.h"
#include "settings.h"

namespace {

const QString kPreviewOff = QStringLiteral("预览");
const QString kPreviewOn = QStringLiteral("取消预览");

// Locked while preview mode is on.
constexpr int kLockedInPreview[] = {
    ctl::kImportFile, ctl::kFontColor, ctl::kPrint,    ctl::kFontFace,
    ctl::kFontSize,   ctl::kRangeFrom, ctl::kRangeTo,  ctl::kDirection,
};
// Usable only while preview mode is on.
constexpr int kStepButtons[] = {ctl::kNextPage, ctl::kPreviousPage};

}  // namespace

void CLarkspanDlg::OnBnClickedPreview() {
    // Without a picture there is nothing to preview: not even the caption changes.
    if (m_image.isNull()) return;
    m_previewNumber = decimalToInt(controlText(ctl::kRangeFrom));

    const QString mode = controlText(ctl::kPreview);
    if (mode == kPreviewOff) {
        // The preview already shows the first number: no repaint.
        setControlText(ctl::kPreview, kPreviewOn);
        for (int id : kStepButtons) enableControl(id, true);
        for (int id : kLockedInPreview) enableControl(id, false);
    } else if (mode == kPreviewOn) {
        setControlText(ctl::kPreview, kPreviewOff);
        for (int id : kStepButtons) enableControl(id, false);
        for (int id : kLockedInPreview) enableControl(id, true);
        g_numberText = controlText(ctl::kRangeFrom);
        invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);
    }
}

void CLarkspanDlg::OnBnClickedNextPage() {
    const int last = decimalToInt(controlText(ctl::kRangeTo));
    if (m_previewNumber < last) {
        ++m_previewNumber;
        g_numberText = intToDecimal(m_previewNumber);
    }
    invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);
}

void CLarkspanDlg::OnBnClickedPreviousPage() {
    const int first = decimalToInt(controlText(ctl::kRangeFrom));
    const int last = decimalToInt(controlText(ctl::kRangeTo));
    if (first < m_previewNumber && m_previewNumber <= last) {
        --m_previewNumber;
        g_numberText = intToDecimal(m_previewNumber);
    }
    invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);
}
