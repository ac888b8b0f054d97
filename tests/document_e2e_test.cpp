// A person imports a .docx into the real program under Xvfb and sees its
// first page in the preview.

#include "child_process.h"
#include "larkspan_dlg.h"
#include "test_support.h"
#include "xvfb_session.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool isPageYellow(QRgb c) { return qRed(c) > 200 && qGreen(c) > 165 && qGreen(c) < 240 && qBlue(c) < 70; }
bool isBarBlack(QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; }

TEST(DocumentEndToEnd, ImportingADocxShowsItsFirstPage) {
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    QTemporaryDir run;
    ASSERT_TRUE(run.isValid());
    // The document, written by LibreOffice from the test source.
    lk::ChildProcessOptions make;
    make.program = QStringLiteral("soffice");
    make.arguments = {QStringLiteral("-env:UserInstallation=file://") + run.path() + QStringLiteral("/maker"),
                      QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("docx:MS Word 2007 XML"),
                      QStringLiteral("--outdir"), run.path(),
                      QStringLiteral(LARKSPAN_TEST_DOCUMENTS "/portrait_a4.fodt")};
    QStringList makeEnv = QProcessEnvironment::systemEnvironment().toStringList();
    makeEnv << QStringLiteral("HOME=") + run.path() + QStringLiteral("/maker");
    make.environment = makeEnv;
    ASSERT_TRUE(lk::runChildProcess(make).ok());
    QDir(run.path() + QStringLiteral("/maker")).removeRecursively();
    const QString docx = run.path() + QStringLiteral("/portrait_a4.docx");
    ASSERT_TRUE(QFile::exists(docx));

    XvfbSession x;
    ASSERT_TRUE(x.ok());
    const QString id = x.startMainWindow(run.path());
    ASSERT_FALSE(id.isEmpty());
    ASSERT_TRUE(x.importThroughFileDialog(id, docx)) << "no file dialog appeared";

    // The preview turns into the page: yellow to its edges, the black bar at its top.
    QImage shot;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 60000) {
        settle(300);
        shot = x.screenshot(id);
        if (!shot.isNull() && isPageYellow(shot.pixel(5, 600))) break;
    }
    ASSERT_FALSE(shot.isNull());
    for (QPoint p : {QPoint(1, 1), QPoint(468, 1), QPoint(1, 663), QPoint(468, 663)})
        EXPECT_TRUE(isPageYellow(shot.pixel(p))) << p.x() << "," << p.y();
    const QRect bar = inkBounds(shot, QRect(0, 0, 470, 120), isBarBlack);
    ASSERT_FALSE(bar.isEmpty());
    EXPECT_LT(bar.top(), 40);
    EXPECT_GT(bar.width(), 400);
    QDir().mkpath(QStringLiteral(SCREENSHOT_DIR));
    shot.save(QStringLiteral(SCREENSHOT_DIR "/document-import.png"));
    EXPECT_FALSE(QDir(run.path() + QStringLiteral("/temp")).entryList(QDir::Files).isEmpty());
}

}  // namespace
