#pragma once
// An X server of the test's own (Xvfb on a free display) with the real
// larkspan program in it, driven as a person would: xdotool for the mouse and
// keyboard, ImageMagick's import for screenshots. Everything it starts is
// stopped by process id when the session ends.

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class XvfbSession {
public:
    XvfbSession();
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    bool ok() const { return !display_.isEmpty(); }
    QString display() const { return display_; }
    // The environment programs in this session get: the display, a runtime
    // folder of the session's own (so locks and sockets of one test do not
    // meet another's), and the test's own config and cache folders.
    QProcessEnvironment environment() const;
    QString runtimeDir() const { return runtime_.path(); }

    // Starts the larkspan binary; the process stays owned by the session.
    QProcess* startProgram(const QStringList& args = {}, const QString& workingDir = {},
                           const QProcessEnvironment& env = QProcessEnvironment());
    // Starts larkspan in workingDir, finds its main window by its title and
    // lets it settle; the window's id, or "" when none appeared.
    QString startMainWindow(const QString& workingDir);
    // The program started last (nullptr before any).
    QProcess* lastStarted() const { return programs_.empty() ? nullptr : programs_.back().get(); }
    // The id of the first window whose title matches exactly, or "" after the timeout.
    QString findWindow(const QString& title, int timeoutMs = 20000) const;
    // The same for the first window whose title is any of titles.
    QString findWindow(const QStringList& titles, int timeoutMs = 20000) const;
    // All window ids whose title matches exactly.
    QStringList windows(const QString& title) const;
    QString windowName(const QString& id) const;
    QRect windowGeometry(const QString& id) const;

    // Runs xdotool with these arguments; returns its standard output.
    QString xdotool(const QStringList& args, int* exitCode = nullptr) const;
    // Clicks at (x, y) inside the window's client area.
    void click(const QString& id, int x, int y) const;
    void key(const QString& id, const QString& keys) const;
    void type(const QString& id, const QString& text) const;
    // A screenshot of the window ("root" for the whole screen).
    QImage screenshot(const QString& id = QStringLiteral("root")) const;

    // Clicks "导入文件" in the main window, types path into the file dialog
    // and presses Return; false when no file dialog appeared within the timeout.
    bool importThroughFileDialog(const QString& mainWindowId, const QString& path, int dialogTimeoutMs = 20000) const;

    static QString programPath();
    // Where a control of the main window sits in the real window: the same
    // template and dialog font lay it out in an off-screen copy of the window.
    static QPoint controlCentre(int controlId);

private:
    QProcess xvfb_;
    QString display_;
    QTemporaryDir runtime_;
    std::vector<std::unique_ptr<QProcess>> programs_;
};
