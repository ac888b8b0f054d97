#include "single_instance.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

#include <unistd.h>

namespace lk {

namespace {
constexpr int kWaitMs = 2000;
}

SingleInstance::SingleInstance(const QString& name) : name_(name) {}

SingleInstance::~SingleInstance() {
    if (server_) {
        server_->close();
        delete server_;
    }
}

QString SingleInstance::runtimeDir() {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath() + QStringLiteral("/larkspan-") + QString::number(getuid());
    QDir().mkpath(dir);
    return dir;
}

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(runtimeDir() + QLatin1Char('/') + name_ + QStringLiteral(".lock"));
    // A held lock never goes stale by age; one whose process has died does.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return true;
    // The only other failure than a live holder is an unusable folder: run anyway.
    return lock_->error() != QLockFile::LockFailedError;
}

void SingleInstance::listen() {
    const QString path = runtimeDir() + QLatin1Char('/') + name_ + QStringLiteral(".socket");
    QLocalServer::removeServer(path);
    server_ = new QLocalServer();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) return;
    QObject::connect(server_, &QLocalServer::newConnection, server_, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            QObject::connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            QObject::connect(s, &QLocalSocket::readyRead, s, [s] {
                if (!s->canReadLine()) return;
                const QString title = QString::fromUtf8(s->readLine()).chopped(1);
                bringWindowForward(title);
                s->write("ok\n");
                s->flush();
            });
        }
    });
}

bool SingleInstance::activateRunning(const QString& title) const {
    QLocalSocket s;
    s.connectToServer(runtimeDir() + QLatin1Char('/') + name_ + QStringLiteral(".socket"));
    if (!s.waitForConnected(kWaitMs)) return false;
    s.write(title.toUtf8() + '\n');
    s.flush();
    if (!s.waitForReadyRead(kWaitMs)) return false;
    return s.readLine().startsWith("ok");
}

bool bringWindowForward(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->windowTitle() != title) continue;
        w->show();  // keeps a minimised window minimised
        w->raise();
        w->activateWindow();
        QApplication::alert(w, 1000);
        return true;
    }
    return false;
}

}  // namespace lk
