#pragma once
// Every dialog that waits for a person goes through this interface, so that a
// test can answer it. The default answers with Qt's dialogs.

#include <QColor>
#include <QString>

#include <memory>
#include <optional>

class QPrinter;
class QWidget;

namespace lk {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual MessageAnswer messageBox(QWidget* owner, const QString& text, const QString& caption,
                                     MessageButtons buttons) = 0;
    // The colour chosen, or nothing when the person cancelled.
    virtual std::optional<QColor> chooseColor(QWidget* owner, QColor initial) = 0;
    // The full path of the chosen file, or nothing when the person cancelled.
    // The filter is "label|patterns||" with patterns separated by ';'.
    virtual std::optional<QString> openFile(QWidget* owner, const QString& filter) = 0;
    // The print dialog: printer choice and copies only. False when cancelled.
    virtual bool choosePrinter(QWidget* owner, QPrinter& printer) = 0;
};

// The dialogs in use; a test may install its own (nullptr restores Qt's).
UserDialogs& userDialogs();
void setUserDialogs(UserDialogs* dialogs);

// The application's name, the default caption of message boxes.
QString applicationName();

// A message box; safe to call from any thread: a worker waits while the
// user-interface thread shows it.
MessageAnswer showMessage(QWidget* owner, const QString& text, MessageButtons buttons = MessageButtons::Ok,
                          const QString& caption = QString());

// A message box owned by the application's main window (unowned once that
// window has ended), captioned with the application's name. For workers.
MessageAnswer showMainWindowMessage(const QString& text, MessageButtons buttons = MessageButtons::Ok);

}  // namespace lk
