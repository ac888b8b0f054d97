#include "child_process.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace lk {

namespace {

// Groups of helpers that run now; whatever is left when the program ends is
// killed then, so an import cut short by the end of the program leaves no
// helper running.
struct LiveGroups {
    std::mutex mutex;
    std::set<pid_t> groups;
    ~LiveGroups() {
        std::lock_guard lock(mutex);
        for (pid_t g : groups) ::kill(-g, SIGKILL);
    }
};
LiveGroups& liveGroups() {
    static LiveGroups g;
    return g;
}

std::vector<char*> cStrings(const std::vector<QByteArray>& items) {
    std::vector<char*> v;
    v.reserve(items.size() + 1);
    for (const QByteArray& b : items) v.push_back(const_cast<char*>(b.constData()));
    v.push_back(nullptr);
    return v;
}

pid_t spawnInNewGroup(const ChildProcessOptions& o) {
    std::vector<QByteArray> argStore{QFile::encodeName(o.program)};
    for (const QString& a : o.arguments) argStore.push_back(a.toLocal8Bit());
    std::vector<QByteArray> envStore;
    if (!o.environment.isEmpty()) {
        for (const QString& e : o.environment) envStore.push_back(e.toLocal8Bit());
    }
    std::vector<char*> argv = cStrings(argStore);
    std::vector<char*> envp = cStrings(envStore);

    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    const QByteArray out = o.outputFile.isEmpty() ? QByteArray("/dev/null") : QFile::encodeName(o.outputFile);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    const QByteArray wd = QFile::encodeName(o.workingDirectory);
    if (!o.workingDirectory.isEmpty()) posix_spawn_file_actions_addchdir_np(&fa, wd.constData());

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &fa, &attr, argv.data(),
                                o.environment.isEmpty() ? environ : envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&fa);
    return rc == 0 ? pid : -1;
}

bool onIdleScheduling() {
    int policy = 0;
    sched_param p{};
    return pthread_getschedparam(pthread_self(), &policy, &p) == 0 && policy == SCHED_IDLE;
}

}  // namespace

ChildProcessResult runChildProcess(const ChildProcessOptions& options) {
    ChildProcessResult result;
    pid_t pid = -1;
    // A helper inherits its starter's scheduling class, and an idle-priority
    // worker may not raise it again; the user-interface thread starts it instead.
    QCoreApplication* app = QCoreApplication::instance();
    auto start = [&] {
        std::lock_guard lock(liveGroups().mutex);
        pid = spawnInNewGroup(options);
        if (pid > 0) liveGroups().groups.insert(pid);
    };
    if (app && QThread::currentThread() != app->thread() && onIdleScheduling())
        QMetaObject::invokeMethod(app, start, Qt::BlockingQueuedConnection);
    else
        start();
    if (pid <= 0) return result;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
    bool ended = false;
    for (;;) {
        // Look without reaping: the unreaped leader keeps its group id from
        // being reused until the group has been killed below.
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid) {
            ended = true;
            break;
        }
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(-pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard lock(liveGroups().mutex);
        liveGroups().groups.erase(pid);
    }
    if (!ended) {
        result.outcome = ChildProcessResult::Outcome::TimedOut;
    } else if (WIFEXITED(status)) {
        result.outcome = ChildProcessResult::Outcome::Exited;
        result.exitCode = WEXITSTATUS(status);
    } else {
        result.outcome = ChildProcessResult::Outcome::Signalled;
    }
    return result;
}

int runningChildGroups() {
    std::lock_guard lock(liveGroups().mutex);
    return static_cast<int>(liveGroups().groups.size());
}

}  // namespace lk
