#pragma once
// One running instance per user. The first instance holds a lock file and
// listens on a local socket; a second start sends the title of the window it
// looks for, and the first shows that window, brings it to the front and
// flashes it. A stale lock left by a crash is taken over.

#include <QLockFile>
#include <QString>

#include <memory>

class QLocalServer;

namespace lk {

class SingleInstance {
public:
    explicit SingleInstance(const QString& name);
    ~SingleInstance();

    // True when this process is the only instance (it now holds the lock).
    bool acquire();
    // Starts answering later starts. Requests name the title of the window to
    // bring forward; a title no window has is ignored.
    void listen();
    // From a later start: asks the running instance to bring its window with
    // this exact title forward. False when no instance answered (for example
    // while it is still setting up).
    bool activateRunning(const QString& title) const;

    static QString runtimeDir();

private:
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// Shows the top-level window with this exact title (a minimised window stays
// minimised), raises it and flashes it once. False when there is none.
bool bringWindowForward(const QString& title);

}  // namespace lk
