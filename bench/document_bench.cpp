// Document import speed: time from starting the document import worker to
// WM_IMPORT_DONE for a one-page .docx, the first import of the run (cold) and
// later ones (warm), against LibreOffice's own conversion of the same file to
// PDF with a fresh profile (the floor nothing can go below). The difference
// is the program's own work: checks, the page rendering at 2100 by 2970, the
// JPEG save and the clean-up.

#include "child_process.h"
#include "dialog_window.h"
#include "document_import_worker.h"
#include "import_request.h"
#include "larkspan_dlg.h"
#include "user_dialogs.h"
#include "window_handle.h"
#include "worker_thread.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

const lk::DialogTemplate kReceiverTemplate{900, "bench", 100, 100, "MS Shell Dlg", 8, 0, {}};

class DoneReceiver : public lk::DialogWindow {
public:
    DoneReceiver() : lk::DialogWindow(kReceiverTemplate) {}
    std::atomic<int> done{0};

protected:
    bool routeMessage(lk::WindowMessage& m) override {
        if (m.id != WM_IMPORT_DONE) return false;
        ++done;
        return true;
    }
};

// LibreOffice alone: one conversion to PDF with a profile of its own.
double convertAlone(const QString& docx, const QString& work) {
    const QString dir = work + QStringLiteral("/floor");
    QDir(dir).removeRecursively();
    QDir().mkpath(dir + QStringLiteral("/out"));
    lk::ChildProcessOptions o;
    o.program = QStringLiteral("soffice");
    o.arguments = {QStringLiteral("-env:UserInstallation=file://") + dir + QStringLiteral("/profile"),
                   QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                   QStringLiteral("--outdir"), dir + QStringLiteral("/out"), docx};
    QStringList env = QProcessEnvironment::systemEnvironment().toStringList();
    env << QStringLiteral("HOME=") + dir << QStringLiteral("XDG_CACHE_HOME=") + dir;
    o.environment = env;
    QElapsedTimer t;
    t.start();
    const bool ok = lk::runChildProcess(o).ok() && QFile::exists(dir + QStringLiteral("/out/portrait_a4.pdf"));
    const double s = t.nsecsElapsed() / 1e9;
    QDir(dir).removeRecursively();
    return ok ? s : -1;
}

double importOnce(DoneReceiver& r, const QString& docx) {
    ImportRequest.documentPath = docx;
    ImportRequest.converter = 0;
    r.done = 0;
    QElapsedTimer t;
    t.start();
    lk::startIdleWorker([] { DocumentImportWorker(); });
    while (r.done == 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double s = t.nsecsElapsed() / 1e9;
    while (lk::runningWorkers() > 0) QThread::msleep(1);
    return QImage(ImportRequest.pagePicturePath).size() == QSize(2100, 2970) ? s : -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        QDir().mkpath(work.path() + QStringLiteral("/runtime"));
        QFile::setPermissions(work.path() + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", (work.path() + QStringLiteral("/runtime")).toLocal8Bit());
    }
    QApplication app(argc, argv);
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(work.path());

    // The one-page .docx, written by LibreOffice from the test source.
    {
        lk::ChildProcessOptions o;
        o.program = QStringLiteral("soffice");
        o.arguments = {QStringLiteral("-env:UserInstallation=file://") + work.path() + QStringLiteral("/maker"),
                       QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("docx:MS Word 2007 XML"),
                       QStringLiteral("--outdir"), work.path(),
                       QStringLiteral(LARKSPAN_TEST_DOCUMENTS) + QStringLiteral("/portrait_a4.fodt")};
        QStringList env = QProcessEnvironment::systemEnvironment().toStringList();
        env << QStringLiteral("HOME=") + work.path() << QStringLiteral("XDG_CACHE_HOME=") + work.path();
        o.environment = env;
        if (!lk::runChildProcess(o).ok()) {
            std::fprintf(stderr, "document_bench: LibreOffice could not make the test document\n");
            return 1;
        }
        QDir(work.path() + QStringLiteral("/maker")).removeRecursively();
    }
    const QString docx = work.path() + QStringLiteral("/portrait_a4.docx");

    DoneReceiver receiver;
    receiver.create();
    lk::setMainWindow(receiver.handle());

    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const double cold = importOnce(receiver, docx);
    std::vector<double> warm, floor;
    for (int i = 0; i < runs; ++i) {
        floor.push_back(convertAlone(docx, work.path()));
        warm.push_back(importOnce(receiver, docx));
    }
    const double w = median(warm), f = median(floor);
    std::printf("document import, one-page A4 .docx to a 2100x2970 page picture (%d warm runs, medians)\n", runs);
    std::printf("  import to WM_IMPORT_DONE, cold : %.3f s\n", cold);
    std::printf("  import to WM_IMPORT_DONE, warm : %.3f s\n", w);
    std::printf("  soffice --convert-to pdf alone : %.3f s\n", f);
    std::printf("  ratio warm import / soffice    : %.2f\n", w / f);
    std::printf("  own work beyond LibreOffice    : %.3f s (warm), %.3f s (cold)\n", w - f, cold - f);

    lk::setMainWindow(nullptr);
    QDir::setCurrent(oldCurrent);
    return 0;
}
