// Preview mode: stepping the shown number through the range before printing.

#include "larkspan_dlg.h"

void CLarkspanDlg::OnBnClickedPreview() {}

void CLarkspanDlg::OnBnClickedNextPage() {}

void CLarkspanDlg::OnBnClickedPreviousPage() {}
