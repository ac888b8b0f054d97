#pragma once
// The busy notice shown at the bottom right of the main window while a
// worker runs: started with timer 1, drawn by OnTimer, stopped by the
// handlers of the workers' done messages.

namespace lk {
class DialogWindow;
}

constexpr unsigned kBusyTimerId = 1;
constexpr int kBusyTimerPeriodMs = 500;

// Starts timer 1 on the window; the first tick draws the notice. Both may
// be called from a worker thread: they run on the window's thread.
void StartBusyNotice(lk::DialogWindow& window);
// Stops timer 1 and paints the notice area over with the background grey.
void StopBusyNotice(lk::DialogWindow& window);
