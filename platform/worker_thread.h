#pragma once
// Worker threads at the lowest scheduling priority. Workers never touch
// widgets: they post messages or run small steps on the window's thread.

#include <functional>

namespace lk {

// Starts f on a new detached thread at idle priority.
void startIdleWorker(std::function<void()> f);

// Number of workers that have not finished yet.
int runningWorkers();

}  // namespace lk
