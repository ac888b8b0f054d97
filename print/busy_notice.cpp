// The busy notice: "正在处理中" and three squares at the bottom right while a
// worker runs.

#include "busy_notice.h"

#include "larkspan_dlg.h"

void StartBusyNotice(lk::DialogWindow& window) { window.setTimer(kBusyTimerId, kBusyTimerPeriodMs); }

void StopBusyNotice(lk::DialogWindow& window) { window.killTimer(kBusyTimerId); }

void CLarkspanDlg::OnTimer(unsigned) {}
