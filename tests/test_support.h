#pragma once
// Helpers shared by the tests: dialogs a test answers, a main window ready
// to use, and pixel searches on client images.

#include "larkspan_dlg.h"
#include "user_dialogs.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

// Answers every dialog from queues the test fills; records what was asked.
class ScriptedDialogs : public lk::UserDialogs {
public:
    struct Message {
        QString text, caption;
        lk::MessageButtons buttons;
        bool hadOwner;
    };
    std::vector<Message> messages;
    std::deque<lk::MessageAnswer> answers;             // default: Ok / No
    std::deque<std::optional<QColor>> colors;          // default: cancel
    std::deque<QString> files;                          // a null text or none: cancel
    std::vector<QString> fileFilters;
    std::function<bool(QPrinter&)> printer;            // default: cancel
    int printDialogs = 0;

    lk::MessageAnswer messageBox(QWidget* owner, const QString& text, const QString& caption,
                                 lk::MessageButtons buttons) override;
    std::optional<QColor> chooseColor(QWidget* owner, QColor initial) override;
    std::optional<QString> openFile(QWidget* owner, const QString& filter) override;
    bool choosePrinter(QWidget* owner, QPrinter& printer) override;
};

// Processes pending events (posted messages, paints) for a while.
void settle(int ms = 0);
// Waits until pred() holds or the time runs out; returns pred().
bool waitFor(const std::function<bool()>& pred, int timeoutMs = 10000);

// A main window that has run its set-up and first paint, with scripted dialogs.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Runs pending erase and paint now.
    void repaint();
    ScriptedDialogs dialogs;
    std::unique_ptr<CLarkspanDlg> dlg;
};

// Chooses the entry text in list id as a person would: selects it and emits
// activated, so the window's handler runs. Fails the test when there is no
// such entry.
void pick(CLarkspanDlg& d, int id, const QString& text);

// Bounding box of the pixels inside area that match pred (empty when none).
QRect inkBounds(const QImage& img, const QRect& area, const std::function<bool(QRgb)>& pred);
// Pixels clearly darker than the background.
bool isDark(QRgb c);
bool isColor(QRgb c, QColor want, int tolerance = 0);
