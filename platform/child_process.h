#pragma once
// Runs a helper program in a process group of its own and waits for it with a
// time limit. When the time is up, or once the program has ended, every
// process left in its group is killed, so nothing it started stays behind.
// The program runs at normal priority even when the caller is an idle-priority
// worker: a worker's scheduling class would otherwise pass to the helper.

#include <QString>
#include <QStringList>

namespace lk {

struct ChildProcessResult {
    enum class Outcome { Exited, Signalled, TimedOut, NotStarted };
    Outcome outcome = Outcome::NotStarted;
    int exitCode = -1;
    bool ok() const { return outcome == Outcome::Exited && exitCode == 0; }
};

struct ChildProcessOptions {
    QString program;            // a path, or a name looked up on PATH
    QStringList arguments;
    QStringList environment;    // "NAME=value" entries; empty: the caller's environment
    QString workingDirectory;   // empty: the caller's
    QString outputFile;         // receives stdout and stderr; empty: discarded
    int timeoutMs = 60000;
};

ChildProcessResult runChildProcess(const ChildProcessOptions& options);

// Process groups of helpers that are still running (for tests).
int runningChildGroups();

}  // namespace lk
