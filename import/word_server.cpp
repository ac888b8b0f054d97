#include "word_server.h"

#include "automation_registry.h"
#include "child_process.h"
#include "vector_page.h"

#include <poppler-qt6.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

namespace lk {

namespace {

using Kind = Variant::Kind;
namespace st = automation_status;

std::atomic<int> g_timeoutMs{120000};
std::atomic<int> g_openFolders{0};

// Documents larger than this are refused before they are read.
constexpr qint64 kMaxDocumentBytes = 256LL * 1024 * 1024;

// Server-side errors carry a description of their own in the user's language.
[[noreturn]] void fail(const char* description) {
    throw AutomationError(st::kException, QString::fromUtf8(description));
}
[[noreturn]] void unknownMember() { throw AutomationError(st::kUnknownMember); }

void expectArgs(std::span<const Argument> args, std::size_t most) {
    if (args.size() > most) throw AutomationError(st::kBadArgumentCount);
}

// An optional argument: omitted, or of one of the accepted kinds.
const Variant* optionalArg(std::span<const Argument> args, std::size_t i) {
    if (i >= args.size() || args[i].value().isMissing()) return nullptr;
    return &args[i].value();
}

std::uint32_t readLe32(const QByteArray& b, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t readLe16(const QByteArray& b, qsizetype at) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Whether a zip archive's central directory lists the entry.
bool zipHasEntry(const QByteArray& zip, const QByteArray& entry) {
    const qsizetype n = zip.size();
    if (n < 22) return false;
    // The end-of-directory record sits within the last 64 KiB + 22 bytes.
    const qsizetype lowest = std::max<qsizetype>(0, n - 22 - 65535);
    for (qsizetype at = n - 22; at >= lowest; --at) {
        if (readLe32(zip, at) != 0x06054b50) continue;
        const qsizetype entries = readLe16(zip, at + 10);
        qsizetype p = readLe32(zip, at + 16);
        for (qsizetype i = 0; i < entries; ++i) {
            if (p < 0 || p + 46 > n || readLe32(zip, p) != 0x02014b50) return false;
            const qsizetype nameLen = readLe16(zip, p + 28);
            const qsizetype extraLen = readLe16(zip, p + 30);
            const qsizetype commentLen = readLe16(zip, p + 32);
            if (p + 46 + nameLen > n) return false;
            if (QByteArrayView(zip.constData() + p + 46, nameLen) == entry) return true;
            p += 46 + nameLen + extraLen + commentLen;
        }
        return false;
    }
    return false;
}

QByteArray utf16Le(const char* ascii) {
    QByteArray out;
    for (const char* c = ascii; *c; ++c) {
        out.append(*c);
        out.append('\0');
    }
    return out;
}

const QByteArray kZipSignature("PK\x03\x04", 4);
const QByteArray kCompoundSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// ---- The state one application object shares with the objects it hands out.

struct OpenedDocument {
    QString folder;      // this conversion's own temporary folder
    QByteArray pdf;      // the document as PDF
    int pageCount = 0;
    QSizeF firstPageSize;
    std::map<int, QByteArray> pageBits;  // one-page PDFs made so far
    bool open = true;
};

struct Session {
    QString soffice;
    std::unique_ptr<QTemporaryDir> dir;
    int conversions = 0;
    std::shared_ptr<OpenedDocument> active;
    bool quit = false;

    Session() { ++g_openFolders; }
    ~Session() { shutDown(); }

    void checkRunning() const {
        if (quit) throw AutomationError(0x80010108, QStringLiteral("服务器已退出"));  // disconnected
    }
    OpenedDocument& activeDocument() const {
        checkRunning();
        if (!active || !active->open) fail("没有打开的文档");
        return *active;
    }
    void closeDocument(const std::shared_ptr<OpenedDocument>& doc) {
        if (!doc || !doc->open) return;
        doc->open = false;
        doc->pdf.clear();
        doc->pageBits.clear();
        QDir(doc->folder).removeRecursively();
        if (active == doc) active.reset();
    }
    void shutDown() {
        if (quit) return;
        quit = true;
        closeDocument(active);
        if (dir) {
            dir->remove();
            dir.reset();
        }
        --g_openFolders;
    }

    QString newConversionFolder() {
        if (!dir) {
            dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/larkspan-word-XXXXXX"));
            if (!dir->isValid()) fail("无法创建临时文件夹");
        }
        const QString folder = dir->path() + QStringLiteral("/conversion-") + QString::number(++conversions);
        for (const char* sub : {"profile", "home", "cache", "config", "tmp", "in", "out"}) {
            if (!QDir().mkpath(folder + QLatin1Char('/') + QLatin1String(sub))) fail("无法创建临时文件夹");
        }
        return folder;
    }

    std::shared_ptr<OpenedDocument> open(const QString& path);
    QByteArray pageBits(OpenedDocument& doc, int index);
};

// LibreOffice's environment: every folder it writes to lies in the conversion's
// own folder, so it never touches the user's profile, cache or temp folder.
QStringList converterEnvironment(const QString& folder) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), folder + QStringLiteral("/home"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), folder + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    env.insert(QStringLiteral("TMPDIR"), folder + QStringLiteral("/tmp"));
    // Without a runtime folder, the desktop libraries LibreOffice loads keep
    // their sockets and settings under the cache folder above as well.
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    return env.toStringList();
}

std::shared_ptr<OpenedDocument> Session::open(const QString& path) {
    checkRunning();
    QString ext;
    switch (classifyWordFile(path)) {
        case WordFileKind::Missing: fail("找不到文档文件");
        case WordFileKind::Unreadable: fail("无法读取文档文件");
        case WordFileKind::Empty: fail("文档是空文件");
        case WordFileKind::TooLarge: fail("文档文件过大");
        case WordFileKind::Encrypted: fail("文档受密码保护");
        case WordFileKind::Unknown: fail("文件不是Word文档或已损坏");
        case WordFileKind::OpenXml: ext = QStringLiteral("docx"); break;
        case WordFileKind::Binary: ext = QStringLiteral("doc"); break;
    }
    // A document opened again replaces the one open before.
    closeDocument(active);

    auto doc = std::make_shared<OpenedDocument>();
    doc->folder = newConversionFolder();
    // LibreOffice reads a copy, so the user's file is never locked or changed
    // and an odd file name cannot confuse its command line.
    const QString input = doc->folder + QStringLiteral("/in/document.") + ext;
    if (!QFile::copy(path, input)) {
        QDir(doc->folder).removeRecursively();
        fail("无法读取文档文件");
    }
    ChildProcessOptions o;
    o.program = soffice;
    o.arguments = {
        QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(doc->folder + QStringLiteral("/profile")).toString(QUrl::FullyEncoded),
        QStringLiteral("--headless"), QStringLiteral("--invisible"), QStringLiteral("--nologo"),
        QStringLiteral("--norestore"), QStringLiteral("--nolockcheck"), QStringLiteral("--nodefault"),
        QStringLiteral("--convert-to"), QStringLiteral("pdf:writer_pdf_Export"),
        QStringLiteral("--outdir"), doc->folder + QStringLiteral("/out"), input};
    o.environment = converterEnvironment(doc->folder);
    o.workingDirectory = doc->folder;
    o.outputFile = doc->folder + QStringLiteral("/tmp/soffice.log");
    o.timeoutMs = g_timeoutMs.load();
    const ChildProcessResult r = runChildProcess(o);
    auto failClean = [&](const char* description) {
        QDir(doc->folder).removeRecursively();
        fail(description);
    };
    if (r.outcome == ChildProcessResult::Outcome::NotStarted) failClean("无法运行LibreOffice");
    if (r.outcome == ChildProcessResult::Outcome::TimedOut) failClean("转换文档超时");
    // LibreOffice reports success even when it converted nothing: the PDF
    // itself is the only trustworthy sign.
    QFile pdf(doc->folder + QStringLiteral("/out/document.pdf"));
    if (!pdf.open(QIODevice::ReadOnly)) failClean("文档已损坏或受密码保护，无法转换");
    doc->pdf = pdf.readAll();
    pdf.close();
    quietPdfErrors();
    std::unique_ptr<Poppler::Document> pd = Poppler::Document::loadFromData(doc->pdf);
    if (!pd || pd->isLocked() || pd->numPages() < 1) failClean("文档已损坏或受密码保护，无法转换");
    std::unique_ptr<Poppler::Page> first = pd->page(0);
    if (!first || first->pageSizeF().isEmpty()) failClean("文档已损坏或受密码保护，无法转换");
    doc->pageCount = pd->numPages();
    doc->firstPageSize = first->pageSizeF();
    // Only the PDF is needed from here on.
    for (const char* sub : {"profile", "home", "cache", "config", "tmp", "in"})
        QDir(doc->folder + QLatin1Char('/') + QLatin1String(sub)).removeRecursively();
    active = doc;
    return doc;
}

QByteArray Session::pageBits(OpenedDocument& doc, int index) {
    checkRunning();
    if (!doc.open) fail("文档已关闭");
    if (index < 1 || index > doc.pageCount) throw AutomationError(st::kBadIndex);
    if (doc.pageCount == 1) return doc.pdf;
    auto it = doc.pageBits.find(index);
    if (it != doc.pageBits.end()) return it->second;
    // One page out of several: poppler's page splitter writes it as a PDF of its own.
    const QString whole = doc.folder + QStringLiteral("/out/document.pdf");
    const QString single = doc.folder + QStringLiteral("/out/page-") + QString::number(index) + QStringLiteral(".pdf");
    ChildProcessOptions o;
    o.program = QStringLiteral("pdfseparate");
    o.arguments = {QStringLiteral("-f"), QString::number(index), QStringLiteral("-l"), QString::number(index), whole, single};
    o.timeoutMs = std::min(g_timeoutMs.load(), 30000);
    const ChildProcessResult r = runChildProcess(o);
    QFile f(single);
    if (!r.ok() || !f.open(QIODevice::ReadOnly)) {
        // The first page is also the first page of the whole PDF, which the
        // page player reads just as well.
        if (index == 1) return doc.pdf;
        fail("无法取出文档的页面");
    }
    QByteArray bits = f.readAll();
    f.close();
    QFile::remove(single);
    doc.pageBits[index] = bits;
    return bits;
}

// ---- The objects of the server, each answering its members by dispatch id.

class EmptyObject : public AutomationObject {
public:
    Variant invoke(DispatchId, CallKind, std::span<const Argument>) override { unknownMember(); }
};

// An object that belongs to one opened document of the server.
class DocumentPart : public AutomationObject {
protected:
    DocumentPart(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d) : s_(std::move(s)), d_(std::move(d)) {}
    // Answers only while the server runs and the document is open.
    void checkOpen() const {
        s_->checkRunning();
        if (!d_->open) fail("文档已关闭");
    }
    std::shared_ptr<Session> s_;
    std::shared_ptr<OpenedDocument> d_;
};

class PageObject : public DocumentPart {
public:
    PageObject(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d, int index)
        : DocumentPart(std::move(s), std::move(d)), index_(index) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        if (id == 8 && kind == CallKind::PropertyGet) {  // EnhMetaFileBits
            expectArgs(args, 0);
            return Variant::bytes(s_->pageBits(*d_, index_));
        }
        unknownMember();
    }

private:
    int index_;
};

class PagesObject : public DocumentPart {
public:
    PagesObject(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d) : DocumentPart(std::move(s), std::move(d)) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        checkOpen();
        if (id == 2 && kind == CallKind::PropertyGet) {  // Count
            expectArgs(args, 0);
            return Variant::int32(d_->pageCount);
        }
        if (id == 0 && kind == CallKind::Method) {  // Item(Index)
            if (args.size() != 1) throw AutomationError(st::kBadArgumentCount);
            if (!args[0].value().isInteger()) throw AutomationError(st::kTypeMismatch);
            const int index = args[0].value().number();
            if (index < 1 || index > d_->pageCount) throw AutomationError(st::kBadIndex);
            return Variant::object(std::make_shared<PageObject>(s_, d_, index));
        }
        unknownMember();
    }
};

class PageSetupObject : public DocumentPart {
public:
    PageSetupObject(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d) : DocumentPart(std::move(s), std::move(d)) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        checkOpen();
        if (id == 107 && kind == CallKind::PropertyGet) {  // Orientation
            expectArgs(args, 0);
            // The page's shape, not the PDF's rotation flag, tells landscape.
            const QSizeF sz = d_->firstPageSize;
            return Variant::int32(sz.width() > sz.height() ? 1 : 0);
        }
        unknownMember();
    }
};

class SelectionObject : public DocumentPart {
public:
    SelectionObject(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d) : DocumentPart(std::move(s), std::move(d)) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        checkOpen();
        if (id == 1101 && kind == CallKind::PropertyGet) {  // PageSetup
            expectArgs(args, 0);
            return Variant::object(std::make_shared<PageSetupObject>(s_, d_));
        }
        if (id == 173 && kind == CallKind::Method) {  // GoTo(What, Which, Count, Name)
            expectArgs(args, 4);
            for (std::size_t i : {std::size_t{0}, std::size_t{1}, std::size_t{2}}) {
                const Variant* v = optionalArg(args, i);
                if (v && !v->isInteger()) throw AutomationError(st::kTypeMismatch);
            }
            const Variant* name = optionalArg(args, 3);
            if (name && name->kind() != Kind::Text) throw AutomationError(st::kTypeMismatch);
            // The selection moves; the range it returns answers nothing the
            // conversion asks for.
            return Variant::object(std::make_shared<EmptyObject>());
        }
        unknownMember();
    }
};

class PaneObject : public DocumentPart {
public:
    PaneObject(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d) : DocumentPart(std::move(s), std::move(d)) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        checkOpen();
        if (id == 19 && kind == CallKind::PropertyGet) {  // Pages
            expectArgs(args, 0);
            return Variant::object(std::make_shared<PagesObject>(s_, d_));
        }
        unknownMember();
    }
};

class WindowObject : public DocumentPart {
public:
    WindowObject(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d) : DocumentPart(std::move(s), std::move(d)) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        checkOpen();
        if (kind == CallKind::PropertyGet && id == 1) {  // ActivePane
            expectArgs(args, 0);
            return Variant::object(std::make_shared<PaneObject>(s_, d_));
        }
        if (kind == CallKind::PropertyGet && id == 4) {  // Selection
            expectArgs(args, 0);
            return Variant::object(std::make_shared<SelectionObject>(s_, d_));
        }
        unknownMember();
    }
};

class DocumentObject : public DocumentPart {
public:
    DocumentObject(std::shared_ptr<Session> s, std::shared_ptr<OpenedDocument> d) : DocumentPart(std::move(s), std::move(d)) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        s_->checkRunning();
        if (id == 1105 && kind == CallKind::Method) {  // Close(SaveChanges, OriginalFormat, RouteDocument)
            expectArgs(args, 3);
            if (!d_->open) fail("文档已关闭");
            s_->closeDocument(d_);
            return Variant();
        }
        unknownMember();
    }
};

class DocumentsObject : public AutomationObject {
public:
    explicit DocumentsObject(std::shared_ptr<Session> s) : s_(std::move(s)) {}
    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        s_->checkRunning();
        if (id == 19 && kind == CallKind::Method) {  // Open(FileName, ConfirmConversions, ReadOnly, ...)
            expectArgs(args, 16);
            if (args.empty() || args[0].value().kind() != Kind::Text) throw AutomationError(st::kTypeMismatch);
            // The documents are only ever read: ReadOnly and the other flags
            // change nothing here, but must be flags when given.
            for (std::size_t i = 1; i < args.size(); ++i) {
                const Variant* v = optionalArg(args, i);
                if (v && (i == 1 || i == 2 || i == 3) && !v->isInteger()) throw AutomationError(st::kTypeMismatch);
            }
            std::shared_ptr<OpenedDocument> doc = s_->open(args[0].value().textValue());
            return Variant::object(std::make_shared<DocumentObject>(s_, doc));
        }
        unknownMember();
    }

private:
    std::shared_ptr<Session> s_;
};

class ApplicationObject : public AutomationObject {
public:
    explicit ApplicationObject(std::shared_ptr<Session> s) : s_(std::move(s)) {}
    // An application released without Quit still cleans up after itself.
    ~ApplicationObject() override { s_->shutDown(); }

    Variant invoke(DispatchId id, CallKind kind, std::span<const Argument> args) override {
        s_->checkRunning();
        if (kind == CallKind::PropertyGet && id == 6) {  // Documents
            expectArgs(args, 0);
            return Variant::object(std::make_shared<DocumentsObject>(s_));
        }
        if (kind == CallKind::PropertyGet && id == 5) {  // Selection
            expectArgs(args, 0);
            s_->activeDocument();
            return Variant::object(std::make_shared<SelectionObject>(s_, s_->active));
        }
        if (kind == CallKind::PropertyGet && id == 4) {  // ActiveWindow
            expectArgs(args, 0);
            s_->activeDocument();
            return Variant::object(std::make_shared<WindowObject>(s_, s_->active));
        }
        if (kind == CallKind::Method && id == 1105) {  // Quit(SaveChanges, OriginalFormat, RouteDocument)
            expectArgs(args, 3);
            s_->shutDown();
            return Variant();
        }
        unknownMember();
    }

private:
    std::shared_ptr<Session> s_;
};

QString findSoffice() { return QStandardPaths::findExecutable(QStringLiteral("soffice")); }

}  // namespace

WordFileKind classifyWordFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return WordFileKind::Missing;
    if (!info.isFile()) return WordFileKind::Unreadable;
    if (info.size() == 0) return WordFileKind::Empty;
    if (info.size() > kMaxDocumentBytes) return WordFileKind::TooLarge;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return WordFileKind::Unreadable;
    const QByteArray bytes = f.readAll();
    if (bytes.size() != info.size()) return WordFileKind::Unreadable;
    if (bytes.startsWith(kZipSignature))
        return zipHasEntry(bytes, QByteArrayLiteral("word/document.xml")) ? WordFileKind::OpenXml : WordFileKind::Unknown;
    if (bytes.startsWith(kCompoundSignature)) {
        // A Word 97-2003 document holds the "WordDocument" stream; a
        // password-protected .docx is a compound file holding the encrypted
        // package instead.
        if (bytes.contains(utf16Le("WordDocument"))) return WordFileKind::Binary;
        if (bytes.contains(utf16Le("EncryptedPackage"))) return WordFileKind::Encrypted;
    }
    return WordFileKind::Unknown;
}

void installWordServer() {
    ServerClass cls;
    cls.installed = [] { return !findSoffice().isEmpty(); };
    cls.create = [] {
        auto session = std::make_shared<Session>();
        session->soffice = findSoffice();
        if (session->soffice.isEmpty()) throw AutomationError(st::kClassNotRegistered);
        return std::static_pointer_cast<AutomationObject>(std::make_shared<ApplicationObject>(session));
    };
    registerServerClassIfAbsent(kWordProgId, std::move(cls));
}

void setWordConversionTimeout(int milliseconds) { g_timeoutMs = milliseconds; }

int openWordServerFolders() { return g_openFolders.load(); }

}  // namespace lk
