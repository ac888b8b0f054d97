// The busy notice: "正在处理中" and three squares at the bottom right while a
// worker runs.

#include "larkspan_dlg.h"

void CLarkspanDlg::OnTimer(unsigned) {}
