#include "xvfb_session.h"

#include "larkspan_dlg.h"
#include "test_support.h"

#include <QElapsedTimer>
#include <QThread>

#include <csignal>

XvfbSession::XvfbSession() {
    // -displayfd 1: Xvfb picks a free display and writes its number to stdout.
    xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                         QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                         QStringLiteral("tcp")});
    if (!xvfb_.waitForStarted(10000)) return;
    QByteArray out;
    QElapsedTimer t;
    t.start();
    while (!out.contains('\n') && t.elapsed() < 20000) {
        xvfb_.waitForReadyRead(500);
        out += xvfb_.readAllStandardOutput();
    }
    const QByteArray number = out.trimmed();
    if (!number.isEmpty()) display_ = QStringLiteral(":") + QString::fromLatin1(number);
}

XvfbSession::~XvfbSession() {
    for (auto& p : programs_) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    programs_.clear();
    if (xvfb_.state() != QProcess::NotRunning) {
        xvfb_.terminate();
        if (!xvfb_.waitForFinished(5000)) {
            xvfb_.kill();
            xvfb_.waitForFinished(5000);
        }
    }
}

QString XvfbSession::programPath() { return QStringLiteral(LARKSPAN_BINARY); }

QProcessEnvironment XvfbSession::environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    return env;
}

QProcess* XvfbSession::startProgram(const QStringList& args, const QString& workingDir,
                                    const QProcessEnvironment& env) {
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(env.isEmpty() ? environment() : env);
    if (!workingDir.isEmpty()) p->setWorkingDirectory(workingDir);
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(programPath(), args);
    p->waitForStarted(10000);
    programs_.push_back(std::move(p));
    return programs_.back().get();
}

QString XvfbSession::startMainWindow(const QString& workingDir) {
    startProgram({}, workingDir);
    const QString id = findWindow(productTitle());
    if (!id.isEmpty()) settle(500);
    return id;
}

QString XvfbSession::xdotool(const QStringList& args, int* exitCode) const {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(QStringLiteral("xdotool"), args);
    p.waitForFinished(20000);
    if (exitCode) *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QStringList XvfbSession::windows(const QString& title) const {
    // xdotool matches names by regular expression; list every named window
    // and compare the titles exactly here.
    QStringList ids = xdotool({QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral(".")})
                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList exact;
    for (const QString& id : ids)
        if (windowName(id) == title) exact << id;
    return exact;
}

QString XvfbSession::findWindow(const QString& title, int timeoutMs) const {
    return findWindow(QStringList{title}, timeoutMs);
}

QString XvfbSession::findWindow(const QStringList& titles, int timeoutMs) const {
    QElapsedTimer t;
    t.start();
    do {
        for (const QString& title : titles) {
            const QStringList ids = windows(title);
            if (!ids.isEmpty()) return ids.first();
        }
        QThread::msleep(100);
    } while (t.elapsed() < timeoutMs);
    return {};
}

QString XvfbSession::windowName(const QString& id) const { return xdotool({QStringLiteral("getwindowname"), id}); }

QRect XvfbSession::windowGeometry(const QString& id) const {
    const QString out = xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    int x = 0, y = 0, w = 0, h = 0;
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        const QStringList kv = line.split(QLatin1Char('='));
        if (kv.size() != 2) continue;
        if (kv[0] == QStringLiteral("X")) x = kv[1].toInt();
        if (kv[0] == QStringLiteral("Y")) y = kv[1].toInt();
        if (kv[0] == QStringLiteral("WIDTH")) w = kv[1].toInt();
        if (kv[0] == QStringLiteral("HEIGHT")) h = kv[1].toInt();
    }
    return QRect(x, y, w, h);
}

void XvfbSession::click(const QString& id, int x, int y) const {
    // No --sync: when the pointer is already there, xdotool would wait for a move.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id, QString::number(x), QString::number(y)});
    QThread::msleep(50);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

void XvfbSession::key(const QString& id, const QString& keys) const {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    xdotool({QStringLiteral("key"), QStringLiteral("--clearmodifiers"), keys});
}

void XvfbSession::type(const QString& id, const QString& text) const {
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), id});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

QImage XvfbSession::screenshot(const QString& id) const {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(QStringLiteral("import"), {QStringLiteral("-window"), id, QStringLiteral("png:-")});
    p.waitForFinished(30000);
    return QImage::fromData(p.readAllStandardOutput(), "PNG");
}

QPoint XvfbSession::controlCentre(int controlId) {
    CLarkspanDlg layout;
    layout.create();
    return layout.control(controlId)->geometry().center();
}

bool XvfbSession::importThroughFileDialog(const QString& mainWindowId, const QString& path,
                                          int dialogTimeoutMs) const {
    const QPoint button = controlCentre(ctl::kImportFile);
    click(mainWindowId, button.x(), button.y());
    // The open dialog's title, in either language.
    const QString fileDialog = findWindow(QStringList{QStringLiteral("Open"), QStringLiteral("打开")}, dialogTimeoutMs);
    if (fileDialog.isEmpty()) return false;
    type(fileDialog, path);
    key(fileDialog, QStringLiteral("Return"));
    return true;
}
