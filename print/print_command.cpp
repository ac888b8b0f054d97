// The print command.

#include "larkspan_dlg.h"

void CLarkspanDlg::OnBnClickedPrint() {}
