#include "worker_thread.h"

#include <atomic>
#include <thread>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace lk {

namespace {
std::atomic<int> g_running{0};

void lowerPriority() {
    sched_param p{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &p) != 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}
}  // namespace

void startIdleWorker(std::function<void()> f) {
    ++g_running;
    std::thread([f = std::move(f)] {
        lowerPriority();
        f();
        --g_running;
    }).detach();
}

int runningWorkers() { return g_running.load(); }

}  // namespace lk
