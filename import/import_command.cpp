// The import command and its completion.

#include "larkspan_dlg.h"

void CLarkspanDlg::OnBnClickedImportFile() {}

long CLarkspanDlg::OnImportDone(std::uintptr_t, std::intptr_t) { return 0; }
