#pragma once
// An X server of the test's own (Xvfb on a free display) with the real
// larkspan program in it, driven as a person would: xdotool for the mouse and
// keyboard, ImageMagick's import for screenshots. Everything it starts is
// stopped by process id when the session ends.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

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
    // The environment programs in this session get: the display, and the
    // test's own runtime, config and cache folders.
    QProcessEnvironment environment() const;

    // Starts the larkspan binary; the process stays owned by the session.
    QProcess* startProgram(const QStringList& args = {}, const QString& workingDir = {},
                           const QProcessEnvironment& env = QProcessEnvironment());
    // The id of the first window whose title matches exactly, or "" after the timeout.
    QString findWindow(const QString& title, int timeoutMs = 20000) const;
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

    static QString programPath();

private:
    QProcess xvfb_;
    QString display_;
    std::vector<std::unique_ptr<QProcess>> programs_;
};
