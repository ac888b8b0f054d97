#pragma once
// A private CUPS scheduler for tests: its own configuration, spool, cache,
// state and temporary folders under one temporary folder, reached through
// its own socket, with a cups-pdf queue as the default printer. libcups
// finds it through CUPS_SERVER, which must be set before the first libcups
// call of the process: call PrivateCups::prepare() from a static initialiser.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <sys/types.h>

class PrivateCups {
public:
    // Chooses the folder and socket and sets CUPS_SERVER (for this process
    // and every program it starts).
    static void prepare();
    // Why the scheduler cannot run here (empty when it can): cups-pdf and
    // the scheduler need root, and both must be installed.
    static QString unavailableReason();

    // Starts cupsd and adds the queues; false (with the reason in error())
    // when it fails.
    static bool start();
    // Stops cupsd by its process id and removes the folder.
    static void stop();
    static QString error();

    static QString pdfPrinter() { return QStringLiteral("LarkspanPDF"); }
    static QString rejectingPrinter() { return QStringLiteral("LarkspanRejecting"); }

    // Waits until no job is left in the queue (`lpstat -o` is empty).
    static bool waitUntilIdle(int timeoutMs = 120000);
    // Where cups-pdf puts the files of jobs this process prints.
    static QString outputFolder();
    // The PDF files cups-pdf has written there since the time, by job id.
    static QStringList outputFiles(const QDateTime& since);

private:
    static bool run(const QString& program, const QStringList& args, QString* output = nullptr);
};
