#include "private_cups.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cstdlib>
#include <map>

#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {
QString g_dir;
pid_t g_pid = 0;
QString g_error;

bool writeFile(const QString& path, const QString& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text.toUtf8()) == text.toUtf8().size();
}
}  // namespace

void PrivateCups::prepare() {
    if (!g_dir.isEmpty()) return;
    QByteArray tmpl = QDir::tempPath().toLocal8Bit() + "/larkspan-cups-XXXXXX";
    if (!mkdtemp(tmpl.data())) return;
    g_dir = QString::fromLocal8Bit(tmpl);
    // The filters run as the scheduler's unprivileged user: they must reach
    // the folder.
    chmod(tmpl.constData(), 0755);
    setenv("CUPS_SERVER", (tmpl + "/cups.sock").constData(), 1);
}

QString PrivateCups::unavailableReason() {
    if (geteuid() != 0) return QStringLiteral("the cups-pdf backend and a private cupsd need root");
    for (const char* f : {"/usr/sbin/cupsd", "/usr/lib/cups/backend/cups-pdf", "/usr/sbin/lpadmin"})
        if (!QFileInfo::exists(QString::fromLatin1(f))) return QStringLiteral("%1 is not installed").arg(f);
    if (g_dir.isEmpty()) return QStringLiteral("no folder for the scheduler");
    return QString();
}

QString PrivateCups::error() { return g_error; }

bool PrivateCups::run(const QString& program, const QStringList& args, QString* output) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        g_error = program + QStringLiteral(" did not finish");
        return false;
    }
    const QString out = QString::fromLocal8Bit(p.readAll());
    if (output) *output = out;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        g_error = program + QLatin1Char(' ') + args.join(QLatin1Char(' ')) + QStringLiteral(": ") + out;
        return false;
    }
    return true;
}

bool PrivateCups::start() {
    const QString reason = unavailableReason();
    if (!reason.isEmpty()) {
        g_error = reason;
        return false;
    }
    const QDir d(g_dir);
    for (const char* sub : {"spool", "cache", "state", "log", "tmp"}) d.mkpath(QString::fromLatin1(sub));
    chmod(d.filePath(QStringLiteral("tmp")).toLocal8Bit().constData(), 01777);
    const QString conf = QStringLiteral(
                             "Listen %1/cups.sock\n"
                             "LogLevel warn\n"
                             "Browsing No\n"
                             "WebInterface No\n"
                             "DefaultAuthType None\n"
                             "ErrorPolicy abort-job\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                             .arg(g_dir);
    const QString files = QStringLiteral(
                              "ServerRoot %1\n"
                              "RequestRoot %1/spool\n"
                              "CacheDir %1/cache\n"
                              "StateDir %1/state\n"
                              "TempDir %1/tmp\n"
                              "ErrorLog %1/log/error_log\n"
                              "AccessLog %1/log/access_log\n"
                              "PageLog %1/log/page_log\n"
                              "Group lp\n"
                              "SystemGroup root\n"
                              "Sandboxing Relaxed\n")
                              .arg(g_dir);
    if (!writeFile(d.filePath(QStringLiteral("cupsd.conf")), conf) ||
        !writeFile(d.filePath(QStringLiteral("cups-files.conf")), files)) {
        g_error = QStringLiteral("cannot write the scheduler's configuration");
        return false;
    }
    // Job ids count from a number of this run's own, so the files cups-pdf
    // names after them never meet those of an earlier run.
    writeFile(d.filePath(QStringLiteral("cache/job.cache")),
              QStringLiteral("NextJobId %1\n").arg(QDateTime::currentSecsSinceEpoch() % 100000000 + 1));
    const QByteArray confPath = d.filePath(QStringLiteral("cupsd.conf")).toLocal8Bit();
    const QByteArray filesPath = d.filePath(QStringLiteral("cups-files.conf")).toLocal8Bit();
    const char* argv[] = {"cupsd", "-f", "-c", confPath.constData(), "-s", filesPath.constData(), nullptr};
    // The scheduler ends with the test even when the test dies on the way.
    g_pid = fork();
    if (g_pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        execve("/usr/sbin/cupsd", const_cast<char**>(argv), environ);
        _exit(127);
    }
    if (g_pid < 0) {
        g_pid = 0;
        g_error = QStringLiteral("cupsd did not start");
        return false;
    }
    bool running = false;
    for (int i = 0; i < 200 && !running; ++i) {
        QThread::msleep(50);
        int status = 0;
        if (waitpid(g_pid, &status, WNOHANG) == g_pid) {
            g_pid = 0;
            g_error = QStringLiteral("cupsd ended at once; see ") + d.filePath(QStringLiteral("log/error_log"));
            return false;
        }
        running = QFileInfo::exists(d.filePath(QStringLiteral("cups.sock"))) &&
                  run(QStringLiteral("lpstat"), {QStringLiteral("-r")});
    }
    if (!running) {
        g_error = QStringLiteral("cupsd does not answer");
        return false;
    }
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    for (const QString& queue : {pdfPrinter(), rejectingPrinter()})
        if (!run(QStringLiteral("lpadmin"),
                 {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"), QStringLiteral("cups-pdf:/"),
                  QStringLiteral("-P"), ppd}))
            return false;
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), pdfPrinter()}) &&
           run(QStringLiteral("cupsreject"), {rejectingPrinter()});
}

void PrivateCups::stop() {
    if (g_pid > 0) {
        kill(g_pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && waitpid(g_pid, &status, WNOHANG) == 0; ++i) QThread::msleep(50);
        if (waitpid(g_pid, &status, WNOHANG) == 0) {
            kill(g_pid, SIGKILL);
            waitpid(g_pid, &status, 0);
        }
        g_pid = 0;
    }
    if (!g_dir.isEmpty()) QDir(g_dir).removeRecursively();
}

bool PrivateCups::waitUntilIdle(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 200) {
        QString out;
        if (run(QStringLiteral("lpstat"), {QStringLiteral("-o")}, &out) && out.trimmed().isEmpty()) return true;
        QThread::msleep(200);
    }
    return false;
}

QString PrivateCups::outputFolder() {
    // cups-pdf's "Out" setting, with the job owner's home and name filled in.
    const passwd* pw = getpwuid(geteuid());
    const QString home = pw ? QString::fromLocal8Bit(pw->pw_dir) : QDir::homePath();
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
    QString out = QStringLiteral("/var/spool/cups-pdf/${USER}");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly))
        for (const QString& line : QString::fromUtf8(conf.readAll()).split(QLatin1Char('\n')))
            if (line.startsWith(QStringLiteral("Out "))) out = line.mid(4).trimmed();
    out.replace(QStringLiteral("${HOME}"), home).replace(QStringLiteral("${USER}"), user);
    return out;
}

QStringList PrivateCups::outputFiles(const QDateTime& since) {
    // cups-pdf names each file after the job's title and its job id.
    static const QRegularExpression jobId(QStringLiteral("job_(\\d+)"));
    std::map<int, QString> byJob;
    const QDir d(outputFolder());
    for (const QFileInfo& f : d.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files)) {
        if (f.lastModified() < since) continue;
        const QString name = f.fileName();
        const auto m = jobId.match(name);
        if (m.hasMatch()) byJob[m.captured(1).toInt()] = d.filePath(name);
    }
    QStringList files;
    for (const auto& [id, path] : byJob) files << path;
    return files;
}
