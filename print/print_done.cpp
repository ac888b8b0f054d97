// The end of a print job on the window's side.

#include "larkspan_dlg.h"

long CLarkspanDlg::OnPrintDone(std::uintptr_t, std::intptr_t) { return 0; }
