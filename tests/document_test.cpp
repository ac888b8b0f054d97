// Document import: the automation layer, the "Word.Application" server on
// LibreOffice, and the conversion of a document's first page into the page
// picture. The documents are made by LibreOffice itself from the flat ODT
// sources in tests/documents, once for the whole run.

#include "automation_registry.h"
#include "child_process.h"
#include "dialogs.h"
#include "document_import_worker.h"
#include "import_request.h"
#include "larkspan_dlg.h"
#include "test_support.h"
#include "vector_page.h"
#include "word_server.h"
#include "worker_thread.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <map>

#include <signal.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------- fixtures

// A temporary folder of this run that LibreOffice and the server use for
// their temporary files, so that the tests can see whether any are left.
QString g_tempRoot;
// The test documents.
QString g_docs;
// Folders the tests write into themselves.
QString g_scratchRoot;

std::unique_ptr<QTemporaryDir> scratchDir() {
    return std::make_unique<QTemporaryDir>(g_scratchRoot + QStringLiteral("/t-XXXXXX"));
}

QString doc(const char* name) { return g_docs + QLatin1Char('/') + QLatin1String(name); }

class DocumentEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        root_ = std::make_unique<QTemporaryDir>();
        ASSERT_TRUE(root_->isValid());
        g_tempRoot = root_->path() + QStringLiteral("/tmp");
        g_docs = root_->path() + QStringLiteral("/docs");
        g_scratchRoot = root_->path() + QStringLiteral("/scratch");
        QDir().mkpath(g_scratchRoot);
        QDir().mkpath(g_tempRoot);
        QDir().mkpath(g_docs);
        qputenv("TMPDIR", g_tempRoot.toLocal8Bit());
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty()) return;

        // LibreOffice writes the documents the tests read, with a profile of its own.
        const QString src = QStringLiteral(LARKSPAN_TEST_DOCUMENTS);
        const QString profile = root_->path() + QStringLiteral("/maker");
        auto make = [&](const QString& filter, const QStringList& sources) {
            lk::ChildProcessOptions o;
            o.program = QStringLiteral("soffice");
            o.arguments = {QStringLiteral("-env:UserInstallation=file://") + profile, QStringLiteral("--headless"),
                           QStringLiteral("--norestore"), QStringLiteral("--convert-to"), filter,
                           QStringLiteral("--outdir"), g_docs};
            for (const QString& s : sources) o.arguments << src + QLatin1Char('/') + s;
            QStringList env = QProcessEnvironment::systemEnvironment().toStringList();
            env << QStringLiteral("HOME=") + profile << QStringLiteral("XDG_CACHE_HOME=") + profile
                << QStringLiteral("TMPDIR=") + profile;
            o.environment = env;
            o.timeoutMs = 120000;
            return lk::runChildProcess(o).ok();
        };
        QDir().mkpath(profile);
        ASSERT_TRUE(make(QStringLiteral("docx:MS Word 2007 XML"),
                         {QStringLiteral("portrait_a4.fodt"), QStringLiteral("ten_pages.fodt"),
                          QStringLiteral("landscape_a4.fodt"), QStringLiteral("letter.fodt")}));
        ASSERT_TRUE(make(QStringLiteral("doc:MS Word 97"), {QStringLiteral("portrait_a4.fodt")}));
        QDir(profile).removeRecursively();

        QFile corrupt(doc("corrupt.docx"));
        ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
        QByteArray noise(20000, '\0');
        QRandomGenerator rng(5);
        for (char& c : noise) c = static_cast<char>(rng.bounded(256));
        corrupt.write(noise);
        corrupt.close();
        QFile empty(doc("empty.docx"));
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.close();
        available_ = true;
    }
    void TearDown() override { root_.reset(); }
    static bool available() { return available_; }

private:
    std::unique_ptr<QTemporaryDir> root_;
    static inline bool available_ = false;
};

const auto* g_env = ::testing::AddGlobalTestEnvironment(new DocumentEnvironment);

#define REQUIRE_LIBREOFFICE() \
    if (!DocumentEnvironment::available()) GTEST_SKIP() << "LibreOffice is not installed"

// Processes of this program's conversions still running: their command lines
// name the server's temporary folders.
int strayConverterProcesses() {
    int n = 0;
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        QFile f(it.filePath() + QStringLiteral("/cmdline"));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray cmd = f.readAll();
        if (cmd.contains("larkspan-word-") || cmd.contains("600.4242")) ++n;
    }
    return n;
}

void expectNothingLeft() {
    EXPECT_EQ(lk::openWordServerFolders(), 0);
    EXPECT_EQ(lk::runningChildGroups(), 0);
    EXPECT_EQ(strayConverterProcesses(), 0);
    EXPECT_TRUE(QDir(g_tempRoot).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << QDir(g_tempRoot).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).join(u' ').toStdString();
}

// A window that stands in for the main window and counts WM_IMPORT_DONE.
const lk::DialogTemplate kReceiverTemplate{900, "receiver", 100, 100, "MS Shell Dlg", 8, 0, {}};
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

class DocumentTest : public ::testing::Test {
protected:
    void SetUp() override {
        lk::setUserDialogs(&dialogs);
        out = scratchDir();
        ASSERT_TRUE(out->isValid());
        folder = out->path() + QLatin1Char('/');
    }
    void TearDown() override {
        lk::setUserDialogs(nullptr);
        out.reset();
    }
    QStringList outputFiles() const { return QDir(folder).entryList(QDir::Files | QDir::NoDotAndDotDot); }
    QImage picture() const { return QImage(folder + QStringLiteral("temp.jpg")); }

    ScriptedDialogs dialogs;
    std::unique_ptr<QTemporaryDir> out;
    QString folder;
};

bool isPageYellow(QRgb c) { return qRed(c) > 200 && qGreen(c) > 165 && qGreen(c) < 240 && qBlue(c) < 70; }

// The page fills the picture exactly: its background reaches every edge.
void expectPageFillsPicture(const QImage& img) {
    const int w = img.width(), h = img.height();
    const QPoint probes[] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h - 1}, {0, h / 2}, {w - 1, h / 2}};
    for (QPoint p : probes) EXPECT_TRUE(isPageYellow(img.pixel(p))) << p.x() << "," << p.y() << " " << std::hex << img.pixel(p);
}

bool isBarBlack(QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; }

// ------------------------------------------------------------ conversion

TEST_F(DocumentTest, DocumentsGiveTheirFirstPageAsAnUprightPicture) {
    REQUIRE_LIBREOFFICE();
    struct Case {
        const char* file;
        bool landscape;
    } cases[] = {
        {"portrait_a4.docx", false}, {"ten_pages.docx", false}, {"letter.docx", false},
        {"portrait_a4.doc", false},  {"landscape_a4.docx", true},
    };
    int converter = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        QFile::remove(folder + QStringLiteral("temp.jpg"));
        const QByteArray before = [&] {
            QFile f(doc(c.file));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        ConvertDocumentPage(doc(c.file), folder, 2, converter);
        converter = 1 - converter;
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(outputFiles(), QStringList{QStringLiteral("temp.jpg")});
        const QImage img = picture();
        ASSERT_EQ(img.size(), QSize(2100, 2970));
        expectPageFillsPicture(img);
        // The black bar along the page's top edge: along the picture's top
        // edge, or for a landscape page along its right edge.
        const QRect bar = inkBounds(img, img.rect(), isBarBlack);
        ASSERT_FALSE(bar.isEmpty());
        if (c.landscape) {
            EXPECT_GT(bar.left(), 1600);
            EXPECT_LT(bar.right(), 2099);
            EXPECT_GT(bar.right(), 1950);
            EXPECT_LT(bar.top(), 200);
            EXPECT_GT(bar.bottom(), 2700);
        } else {
            EXPECT_LT(bar.top(), 150);
            EXPECT_GT(bar.top(), 50);
            EXPECT_LT(bar.bottom(), 400);
            EXPECT_LT(bar.left(), 150);
            EXPECT_GT(bar.right(), 1900);
        }
        // The document itself is left as it was.
        QFile f(doc(c.file));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before);
    }
    expectNothingLeft();
}

TEST_F(DocumentTest, DocumentsThatCannotBeOpenedAreNamedInAMessage) {
    REQUIRE_LIBREOFFICE();
    const auto scratch = scratchDir();
    const QString encrypted = scratch->path() + QStringLiteral("/protected.docx");
    {
        // A password-protected .docx: a compound file holding the encrypted package.
        QFile f(encrypted);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        QByteArray b("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
        b.append(QByteArray(504, '\0'));
        for (char ch : QByteArray("EncryptedPackage")) b.append(ch).append('\0');
        b.append(QByteArray(1024, '\0'));
        f.write(b);
    }
    const struct {
        QString path;
        const char* reason;
    } cases[] = {
        {doc("corrupt.docx"), "文件不是Word文档或已损坏"},
        {doc("empty.docx"), "文档是空文件"},
        {doc("no_such_file.docx"), "找不到文档文件"},
        {encrypted, "文档受密码保护"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        dialogs.messages.clear();
        ConvertDocumentPage(c.path, folder, 2, 0);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, documentOpenFailedMessage(QString::fromUtf8(c.reason)));
        EXPECT_TRUE(outputFiles().isEmpty());
    }
    expectNothingLeft();
}

TEST_F(DocumentTest, ALibreOfficeTheUserHasOpenIsLeftAlone) {
    REQUIRE_LIBREOFFICE();
    // The user's own LibreOffice, with the default profile of the same home.
    const auto home = scratchDir();
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home->path().toLocal8Bit());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home->path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("TMPDIR"), home->path());
    QProcess user;
    user.setProcessEnvironment(env);
    user.setChildProcessModifier([] { ::setsid(); });
    user.start(QStringLiteral("soffice"), {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                                           QStringLiteral("--accept=pipe,name=larkspanUserInstance;urp;")});
    ASSERT_TRUE(user.waitForStarted());
    const QString profile = home->path() + QStringLiteral("/.config/libreoffice/4/user");
    EXPECT_TRUE(waitFor([&] { return QFile::exists(profile + QStringLiteral("/registrymodifications.xcu")); }, 30000));

    ConvertDocumentPage(doc("landscape_a4.docx"), folder, 2, 0);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(picture().size(), QSize(2100, 2970));
    EXPECT_EQ(user.state(), QProcess::Running);

    ::kill(-static_cast<pid_t>(user.processId()), SIGKILL);
    user.waitForFinished();
    qputenv("HOME", oldHome);
    expectNothingLeft();
}

TEST(WordFileChecks, KindsAreTakenFromTheContent) {
    REQUIRE_LIBREOFFICE();
    const auto scratch = scratchDir();
    auto write = [&](const char* name, const QByteArray& bytes) {
        const QString p = scratch->path() + QLatin1Char('/') + QLatin1String(name);
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return p;
    };
    auto utf16 = [](const char* ascii) {
        QByteArray b;
        for (const char* c = ascii; *c; ++c) b.append(*c).append('\0');
        return b;
    };
    // A zip archive with one stored entry, written by hand.
    auto storedZip = [](const QByteArray& name) {
        auto le16 = [](QByteArray& b, int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
        auto le32 = [&](QByteArray& b, quint32 v) { le16(b, int(v & 0xFFFF)); le16(b, int(v >> 16)); };
        QByteArray z("PK\x03\x04", 4);
        for (int i = 0; i < 11; ++i) le16(z, 0);
        le16(z, int(name.size()));
        le16(z, 0);
        z.append(name);
        const quint32 cd = quint32(z.size());
        z.append("PK\x01\x02", 4);
        for (int i = 0; i < 12; ++i) le16(z, 0);
        le16(z, int(name.size()));
        for (int i = 0; i < 4; ++i) le16(z, 0);
        le32(z, 0);
        le32(z, 0);
        z.append(name);
        const quint32 cdSize = quint32(z.size()) - cd;
        z.append("PK\x05\x06", 4);
        le16(z, 0);
        le16(z, 0);
        le16(z, 1);
        le16(z, 1);
        le32(z, cdSize);
        le32(z, cd);
        le16(z, 0);
        return z;
    };
    const struct {
        QString path;
        lk::WordFileKind kind;
    } cases[] = {
        {doc("portrait_a4.docx"), lk::WordFileKind::OpenXml},
        {doc("portrait_a4.doc"), lk::WordFileKind::Binary},
        {doc("corrupt.docx"), lk::WordFileKind::Unknown},
        {doc("empty.docx"), lk::WordFileKind::Empty},
        {doc("missing.docx"), lk::WordFileKind::Missing},
        {write("hand.docx", storedZip("word/document.xml")), lk::WordFileKind::OpenXml},
        {write("other.docx", storedZip("content.xml")), lk::WordFileKind::Unknown},
        {write("cut.docx", storedZip("word/document.xml").left(40)), lk::WordFileKind::Unknown},
        {write("cfb.doc", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + QByteArray(600, '\0')), lk::WordFileKind::Unknown},
        // A Word 97-2003 document whose text happens to name the encrypted package.
        {write("words.doc", QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + utf16("WordDocument") + utf16("EncryptedPackage")),
         lk::WordFileKind::Binary},
        {write("text.doc", "Just some text, not a document."), lk::WordFileKind::Unknown},
        {scratch->path(), lk::WordFileKind::Unreadable},
    };
    for (const auto& c : cases) EXPECT_EQ(lk::classifyWordFile(c.path), c.kind) << c.path.toStdString();
}

// ---------------------------------------------------- the worker, end to end

class WorkerTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        oldCurrent = QDir::currentPath();
        QDir::setCurrent(out->path());
        receiver = std::make_unique<DoneReceiver>();
        receiver->create();
        lk::setMainWindow(receiver->handle());
    }
    void TearDown() override {
        lk::setMainWindow(nullptr);
        receiver.reset();
        QDir::setCurrent(oldCurrent);
        DocumentTest::TearDown();
    }
    // Runs the worker as the import command does and waits for its message.
    void runWorker(const QString& document, int converter = 0) {
        ImportRequest.documentPath = document;
        ImportRequest.converter = converter;
        ImportRequest.pagePicturePath.clear();
        receiver->done = 0;
        lk::startIdleWorker([] { DocumentImportWorker(); });
        ASSERT_TRUE(waitFor([&] { return receiver->done > 0 && lk::runningWorkers() == 0; }, 60000));
        settle(50);
        EXPECT_EQ(receiver->done, 1);
        EXPECT_EQ(ImportRequest.pagePicturePath, QDir::currentPath() + QStringLiteral("/temp/temp.jpg"));
    }
    QString oldCurrent;
    std::unique_ptr<DoneReceiver> receiver;
};

TEST_F(WorkerTest, WritesThePagePictureIntoTheCacheAndReportsOnce) {
    REQUIRE_LIBREOFFICE();
    ASSERT_FALSE(QDir(QStringLiteral("temp")).exists());
    runWorker(doc("ten_pages.docx"), 1);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(QDir(QStringLiteral("temp")).entryList(QDir::Files), QStringList{QStringLiteral("temp.jpg")});
    EXPECT_EQ(QImage(ImportRequest.pagePicturePath).size(), QSize(2100, 2970));
    expectNothingLeft();
}

TEST_F(WorkerTest, WithoutLibreOfficeTheServerCannotStart) {
    const auto emptyBin = scratchDir();
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", emptyBin->path().toLocal8Bit());
    runWorker(doc("portrait_a4.docx"));
    qputenv("PATH", oldPath);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("无法启动MS-Word!"));
    EXPECT_TRUE(dialogs.messages[0].hadOwner);
    EXPECT_FALSE(QFile::exists(ImportRequest.pagePicturePath));
    expectNothingLeft();
}

TEST_F(WorkerTest, ACorruptDocumentIsReportedAndStillEndsTheImport) {
    REQUIRE_LIBREOFFICE();
    runWorker(doc("corrupt.docx"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("无法打开文档"))) << dialogs.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(ImportRequest.pagePicturePath));
    expectNothingLeft();
}

// A converter that misbehaves: hangs, or reports success without a PDF.
TEST_F(DocumentTest, AConverterThatHangsOrFailsBecomesAnOpenError) {
    REQUIRE_LIBREOFFICE();
    const auto bin = scratchDir();
    const QString fake = bin->path() + QStringLiteral("/soffice");
    const struct {
        const char* script;
        const char* reason;
    } cases[] = {
        {"#!/bin/sh\nsleep 600.4242 &\nsleep 600.4242\n", "转换文档超时"},
        {"#!/bin/sh\nexit 0\n", "文档已损坏或受密码保护，无法转换"},
        {"#!/bin/sh\nfor a; do out=\"$a\"; [ \"$prev\" = --outdir ] && dir=\"$a\"; prev=\"$a\"; done\n"
         "echo 'not a pdf' > \"$dir/document.pdf\"\n",
         "文档已损坏或受密码保护，无法转换"},
    };
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin->path().toLocal8Bit() + ":/usr/bin:/bin");
    lk::setWordConversionTimeout(1500);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        QFile f(fake);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.script);
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        dialogs.messages.clear();
        ConvertDocumentPage(doc("portrait_a4.docx"), folder, 2, 0);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, documentOpenFailedMessage(QString::fromUtf8(c.reason)));
        EXPECT_TRUE(outputFiles().isEmpty());
        expectNothingLeft();
    }
    lk::setWordConversionTimeout(120000);
    qputenv("PATH", oldPath);
}

// ------------------------------------------- the calls, with a recording server

// A PDF page of the given size in points: white, with a red block in its
// top-left corner and a blue frame along its edges.
QByteArray markedPage(QSizeF points) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    QPdfWriter w(&buf);
    w.setResolution(72);
    w.setPageSize(QPageSize(points, QPageSize::Point));
    w.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter p(&w);
    const QRectF page(0, 0, points.width(), points.height());
    p.fillRect(page, Qt::blue);
    p.fillRect(page.adjusted(4, 4, -4, -4), Qt::white);
    p.fillRect(QRectF(0, 0, points.width() / 4, points.height() / 8), Qt::red);
    p.end();
    return bytes;
}

struct Call {
    QString object;
    lk::DispatchId id;
    lk::CallKind kind;
    QString args;  // each argument: kind, '&' when by reference, value
    bool operator==(const Call&) const = default;
};

QString describe(std::span<const lk::Argument> args) {
    QStringList out;
    for (const lk::Argument& a : args) {
        const lk::Variant& v = a.value();
        QString s;
        switch (v.kind()) {
            case lk::Variant::Kind::Empty: s = QStringLiteral("empty"); break;
            case lk::Variant::Kind::Missing: s = QStringLiteral("missing:%1").arg(v.status(), 0, 16); break;
            case lk::Variant::Kind::Int16: s = QStringLiteral("i2:%1").arg(v.number()); break;
            case lk::Variant::Kind::Int32: s = QStringLiteral("i4:%1").arg(v.number()); break;
            case lk::Variant::Kind::Text: s = QStringLiteral("str:") + v.textValue(); break;
            case lk::Variant::Kind::Object: s = QStringLiteral("obj"); break;
            case lk::Variant::Kind::Bytes: s = QStringLiteral("bytes"); break;
        }
        out << (a.isReference() ? QStringLiteral("&") : QString()) + s;
    }
    return out.join(u' ');
}

// Records every call and answers with what a word processor would; the
// call whose number is failAt raises an automation error instead.
struct Recording {
    std::vector<Call> calls;
    int failAt = 0;
    int orientation = 0;
    lk::Variant bits;
};

class RecordingObject : public lk::AutomationObject {
public:
    using Answer = std::function<lk::Variant(std::span<const lk::Argument>)>;
    RecordingObject(std::shared_ptr<Recording> r, QString name) : r_(std::move(r)), name_(std::move(name)) {}
    void on(lk::DispatchId id, lk::CallKind kind, Answer a) { answers_[{id, int(kind)}] = std::move(a); }
    lk::Variant invoke(lk::DispatchId id, lk::CallKind kind, std::span<const lk::Argument> args) override {
        r_->calls.push_back({name_, id, kind, describe(args)});
        if (int(r_->calls.size()) == r_->failAt) throw lk::AutomationError(lk::automation_status::kException, QStringLiteral("测试错误"));
        auto it = answers_.find({id, int(kind)});
        if (it == answers_.end()) throw lk::AutomationError(lk::automation_status::kUnknownMember);
        return it->second(args);
    }

private:
    std::shared_ptr<Recording> r_;
    QString name_;
    std::map<std::pair<lk::DispatchId, int>, Answer> answers_;
};

std::shared_ptr<lk::AutomationObject> recordingApplication(const std::shared_ptr<Recording>& r) {
    using K = lk::CallKind;
    auto make = [&](const char* name) { return std::make_shared<RecordingObject>(r, QString::fromLatin1(name)); };
    auto obj = [](std::shared_ptr<RecordingObject> o) { return [o](auto) { return lk::Variant::object(o); }; };
    auto none = [](auto) { return lk::Variant(); };
    auto app = make("application"), docs = make("documents"), document = make("document"), sel = make("selection"),
         setup = make("pageSetup"), window = make("window"), pane = make("pane"), pages = make("pages"),
         winSel = make("windowSelection"), range = make("range"), page = make("page");
    app->on(6, K::PropertyGet, obj(docs));
    app->on(5, K::PropertyGet, obj(sel));
    app->on(4, K::PropertyGet, obj(window));
    app->on(1105, K::Method, none);
    docs->on(19, K::Method, obj(document));
    document->on(1105, K::Method, none);
    sel->on(1101, K::PropertyGet, obj(setup));
    setup->on(107, K::PropertyGet, [r](auto) { return lk::Variant::int32(r->orientation); });
    window->on(1, K::PropertyGet, obj(pane));
    window->on(4, K::PropertyGet, obj(winSel));
    pane->on(19, K::PropertyGet, obj(pages));
    pages->on(2, K::PropertyGet, [](auto) { return lk::Variant::int32(10); });
    pages->on(0, K::Method, obj(page));
    winSel->on(173, K::Method, obj(range));
    page->on(8, K::PropertyGet, [r](auto) { return r->bits; });
    return app;
}

class RecordingServerTest : public DocumentTest {
protected:
    void SetUp() override {
        DocumentTest::SetUp();
        recording = std::make_shared<Recording>();
        lk::ServerClass cls;
        cls.create = [r = recording] { return recordingApplication(r); };
        previous = lk::registerServerClass(lk::kWordProgId, cls);
    }
    void TearDown() override {
        if (previous)
            lk::registerServerClass(lk::kWordProgId, *previous);
        else
            lk::unregisterServerClass(lk::kWordProgId);
        DocumentTest::TearDown();
    }
    std::shared_ptr<Recording> recording;
    std::optional<lk::ServerClass> previous;
};

std::vector<Call> expectedCalls(const QString& path) {
    using K = lk::CallKind;
    const QString m = QStringLiteral("&missing:80020004");
    QStringList open{QStringLiteral("&str:") + path, QStringLiteral("&i2:0"), QStringLiteral("&i2:1"), QStringLiteral("&i2:0")};
    for (int i = 0; i < 12; ++i) open << m;
    return {
        {"application", 6, K::PropertyGet, ""},
        {"documents", 19, K::Method, open.join(u' ')},
        {"application", 5, K::PropertyGet, ""},
        {"selection", 1101, K::PropertyGet, ""},
        {"pageSetup", 107, K::PropertyGet, ""},
        {"application", 4, K::PropertyGet, ""},
        {"window", 1, K::PropertyGet, ""},
        {"pane", 19, K::PropertyGet, ""},
        {"pages", 2, K::PropertyGet, ""},
        {"window", 4, K::PropertyGet, ""},
        {"windowSelection", 173, K::Method, "&i4:1 " + m + " &i4:1 " + m},
        {"pages", 0, K::Method, "i4:1"},
        {"page", 8, K::PropertyGet, ""},
        {"document", 1105, K::Method, m + " " + m + " " + m},
        {"application", 1105, K::Method, m + " " + m + " " + m},
    };
}

void PrintTo(const Call& c, std::ostream* os) {
    *os << c.object.toStdString() << " " << c.id << (c.kind == lk::CallKind::Method ? " method(" : " get(")
        << c.args.toStdString() << ")";
}

TEST_F(RecordingServerTest, MakesTheFifteenCallsInOrderWhicheverConverter) {
    const QString path = QStringLiteral("/data/标签 mark.docx");
    QImage first;
    for (int converter : {0, 1}) {
        recording->calls.clear();
        recording->bits = lk::Variant::bytes(markedPage(QSizeF(595, 842)));
        ConvertDocumentPage(path, folder, 2, converter);
        EXPECT_EQ(recording->calls, expectedCalls(path));
        const QImage img = picture();
        ASSERT_EQ(img.size(), QSize(2100, 2970));
        if (converter == 0) first = img;
        else EXPECT_EQ(img, first);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecordingServerTest, PlaysThePageIntoTheWholePictureAndTurnsLandscape) {
    const struct {
        int quality, orientation;
        QSizeF page;
        QSize picture;
    } cases[] = {
        {2, 0, QSizeF(595, 842), QSize(2100, 2970)},
        {2, 0, QSizeF(612, 792), QSize(2100, 2970)},   // Letter, stretched
        {1, 0, QSizeF(595, 842), QSize(4200, 5940)},
        {3, 0, QSizeF(595, 842), QSize(840, 1188)},
        {2, 1, QSizeF(842, 595), QSize(2100, 2970)},   // turned clockwise
        {7, 0, QSizeF(595, 842), QSize(2100, 2970)},   // unknown quality: portrait of quality 2
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.quality << " " << c.orientation << " " << c.page.width());
        recording->orientation = c.orientation;
        recording->bits = lk::Variant::bytes(markedPage(c.page));
        ConvertDocumentPage(QStringLiteral("/x.docx"), folder, c.quality, 0);
        const QImage img = picture();
        ASSERT_EQ(img.size(), c.picture);
        const int w = img.width(), h = img.height();
        // The blue frame reaches every edge of the picture.
        for (QPoint p : {QPoint(w / 2, 0), QPoint(w / 2, h - 1), QPoint(0, h / 2), QPoint(w - 1, h / 2)})
            EXPECT_TRUE(isColor(img.pixel(p), Qt::blue, 60)) << p.x() << "," << p.y();
        // The page's top-left red block: top-left, or top-right once turned.
        const QRect red = inkBounds(img, img.rect(), [](QRgb c) { return isColor(c, Qt::red, 60); });
        if (c.orientation == 1) {
            EXPECT_NEAR(red.right(), w - 1, 2);
            EXPECT_NEAR(red.top(), 0, 2);
            EXPECT_NEAR(red.width(), w / 8, 4);
            EXPECT_NEAR(red.height(), h / 4, 4);
        } else {
            EXPECT_EQ(red.topLeft(), QPoint(0, 0));
            EXPECT_NEAR(red.width(), w / 4, 3);
            EXPECT_NEAR(red.height(), h / 8, 3);
        }
    }
    // Bits that are not bytes leave the page white.
    recording->orientation = 0;
    recording->bits = lk::Variant::int32(5);
    ConvertDocumentPage(QStringLiteral("/x.docx"), folder, 2, 0);
    const QImage white = picture();
    ASSERT_EQ(white.size(), QSize(2100, 2970));
    EXPECT_TRUE(inkBounds(white, white.rect(), [](QRgb c) { return !isColor(c, Qt::white, 8); }).isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(RecordingServerTest, AFailedCallClosesWhatWasOpenedAndQuits) {
    const std::vector<Call> all = expectedCalls(QStringLiteral("/x.docx"));
    for (int failAt = 1; failAt <= 15; ++failAt) {
        SCOPED_TRACE(failAt);
        recording->calls.clear();
        recording->failAt = failAt;
        recording->bits = lk::Variant::bytes(markedPage(QSizeF(595, 842)));
        dialogs.messages.clear();
        QFile::remove(folder + QStringLiteral("temp.jpg"));
        ConvertDocumentPage(QStringLiteral("/x.docx"), folder, 2, 0);

        // The calls made up to the failure, then closing (when a document was
        // opened) and quitting.
        std::vector<Call> want(all.begin(), all.begin() + std::min(failAt, 13));
        if (failAt > 2) want.push_back(all[13]);
        want.push_back(all[14]);
        EXPECT_EQ(recording->calls, want);
        if (failAt <= 9) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].text, documentOpenFailedMessage(QStringLiteral("测试错误")));
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
        }
        // The picture exists only when the export got through.
        EXPECT_EQ(QFile::exists(folder + QStringLiteral("temp.jpg")), failAt >= 14);
    }
}

TEST_F(RecordingServerTest, AFailedSaveIsReportedAndTheConversionStillQuits) {
    ConvertDocumentPage(QStringLiteral("/x.docx"), folder + QStringLiteral("no/such/folder/"), 2, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("缓存图像文件失败！"));
    EXPECT_EQ(recording->calls.size(), 15u);
}

// --------------------------------------------------------- platform pieces

TEST(TurnPicture, AQuarterTurnClockwiseMovesEveryPixelExactly) {
    const auto dir = scratchDir();
    QImage src(7, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x) src.setPixel(x, y, qRgb(x * 30, y * 60, 200));
    const QString from = dir->path() + QStringLiteral("/in.png"), to = dir->path() + QStringLiteral("/out.png");
    ASSERT_TRUE(src.save(from));
    TurnPictureClockwise(from, to);
    const QImage t(to);
    ASSERT_EQ(t.size(), QSize(4, 7));
    // Source (x, y) lands at (H - 1 - y, x): the top edge becomes the right edge.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(t.pixel(3 - y, x), src.pixel(x, y)) << x << "," << y;
}

TEST(VectorPage, FillsTheTargetRectangleExactlyAtAnyShape) {
    lk::VectorPage page;
    EXPECT_FALSE(page.setBits(QByteArray("not a pdf")));
    EXPECT_TRUE(page.isNull());
    ASSERT_TRUE(page.setBits(markedPage(QSizeF(612, 792))));
    EXPECT_EQ(page.pageSize().toSize(), QSize(612, 792));
    for (QSize target : {QSize(300, 200), QSize(101, 999), QSize(2100, 2970)}) {
        QImage img(target + QSize(40, 40), QImage::Format_RGB32);
        img.fill(Qt::green);
        QPainter p(&img);
        ASSERT_TRUE(page.play(p, QRect(QPoint(20, 20), target)));
        p.end();
        const QRect drawn = inkBounds(img, img.rect(), [](QRgb c) { return !isColor(c, Qt::green, 10); });
        EXPECT_EQ(drawn, QRect(QPoint(20, 20), target));
        EXPECT_TRUE(isColor(img.pixel(20 + target.width() - 1, 20 + target.height() - 1), Qt::blue, 60));
    }
}

TEST(AutomationRegistry, ServersNeedSetUpAndARegisteredInstalledClass) {
    std::uint32_t status = 0;
    lk::DispatchDriver d;
    lk::ServerClass cls;
    cls.create = [] { return std::make_shared<RecordingObject>(std::make_shared<Recording>(), QStringLiteral("x")); };
    bool installed = true;
    cls.installed = [&] { return installed; };
    lk::registerServerClass(QStringLiteral("Test.Server"), cls);
    EXPECT_FALSE(d.createServer(QStringLiteral("Test.Server"), &status));
    EXPECT_EQ(status, lk::automation_status::kNotInitialized);
    {
        lk::AutomationThreadScope scope;
        EXPECT_TRUE(d.createServer(QStringLiteral("Test.Server"), &status));
        installed = false;
        EXPECT_FALSE(d.createServer(QStringLiteral("Test.Server"), &status));
        EXPECT_EQ(status, lk::automation_status::kClassNotRegistered);
        EXPECT_FALSE(d.createServer(QStringLiteral("No.Such.Server"), &status));
        EXPECT_EQ(status, lk::automation_status::kClassNotRegistered);
        // A call on nothing, or a result of the wrong type, raises an automation error.
        EXPECT_THROW(d.objectProperty(1), lk::AutomationError);
    }
    EXPECT_FALSE(lk::automationInitialized());
    lk::unregisterServerClass(QStringLiteral("Test.Server"));
}

}  // namespace
