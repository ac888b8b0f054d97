// The document import: the worker thread, the conversion of a document's
// first page through the "Word.Application" automation server, and the
// quarter turn that makes a landscape page upright.

#include "document_import_worker.h"

#include "automation_registry.h"
#include "import_request.h"
#include "larkspan_dlg.h"
#include "page_picture_cache.h"
#include "picture.h"
#include "user_dialogs.h"
#include "vector_page.h"
#include "word_server.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QTransform>

#include <array>

namespace {

// Dispatch ids of the members the conversion calls.
namespace dispid {
constexpr lk::DispatchId kDocuments = 6;
constexpr lk::DispatchId kOpen = 19;
constexpr lk::DispatchId kSelection = 5;
constexpr lk::DispatchId kPageSetup = 1101;
constexpr lk::DispatchId kOrientation = 107;
constexpr lk::DispatchId kActiveWindow = 4;
constexpr lk::DispatchId kActivePane = 1;
constexpr lk::DispatchId kPages = 19;
constexpr lk::DispatchId kCount = 2;
constexpr lk::DispatchId kWindowSelection = 4;
constexpr lk::DispatchId kGoTo = 173;
constexpr lk::DispatchId kItem = 0;
constexpr lk::DispatchId kEnhMetaFileBits = 8;
constexpr lk::DispatchId kClose = 1105;
constexpr lk::DispatchId kQuit = 1105;
}  // namespace dispid

constexpr int kGoToPage = 1;  // GoTo's What: a page

// Shows a message box owned by the main window while the worker waits.
void showWorkerMessage(const QString& text) { lk::showMainWindowMessage(text); }

QString cacheSaveFailedText() { return QStringLiteral("缓存图像文件失败！"); }

// The page picture's size as drawn, by quality and orientation. Values the
// table does not know give the portrait size of quality 2.
QSize pictureSize(int quality, int orientation) {
    QSize portrait;
    switch (quality) {
        case 1: portrait = QSize(4200, 5940); break;
        case 3: portrait = QSize(840, 1188); break;
        default: portrait = QSize(2100, 2970); break;
    }
    return orientation == 1 ? portrait.transposed() : portrait;
}

// A parallelogram copy: the whole source goes to the parallelogram whose
// corners are the images of the source's top-left, top-right and bottom-left
// corners, without smoothing, so right-angle turns move pixels exactly.
void copyToParallelogram(QPainter& p, const QImage& source, const std::array<QPointF, 3>& points) {
    const double w = source.width(), h = source.height();
    const QTransform t((points[1].x() - points[0].x()) / w, (points[1].y() - points[0].y()) / w,
                       (points[2].x() - points[0].x()) / h, (points[2].y() - points[0].y()) / h,
                       points[0].x(), points[0].y());
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.setTransform(t, true);
    p.drawImage(QPointF(0, 0), source);
    p.restore();
}

// The cache folder with a trailing separator, created when missing; empty
// when the current directory gives no usable cache folder.
QString documentCacheFolder() {
    const PageCacheFolder cache = pageCacheFolder();
    if (!cache.ok()) return QString();
    if (!QDir(cache.path).exists()) QDir().mkpath(cache.path);
    return cache.path + QLatin1Char('/');
}

// Closes the document (if one was opened) and tells the server to quit; a
// failure of either is of no further interest, but the second still happens.
void closeAndQuit(lk::DispatchDriver& document, lk::DispatchDriver& app) {
    lk::Variant omitted[3] = {lk::Variant::missing(), lk::Variant::missing(), lk::Variant::missing()};
    const std::array<lk::Argument, 3> args = {lk::Argument::byReference(omitted[0]), lk::Argument::byReference(omitted[1]),
                                              lk::Argument::byReference(omitted[2])};
    if (!document.isNull()) {
        try {
            document.invoke(dispid::kClose, lk::CallKind::Method, args);
        } catch (const lk::AutomationError&) {
        }
    }
    try {
        app.invoke(dispid::kQuit, lk::CallKind::Method, args);
    } catch (const lk::AutomationError&) {
    }
}

}  // namespace

QString wordServerMissingMessage() { return QStringLiteral("无法启动MS-Word!"); }

QString documentOpenFailedMessage(const QString& reason) {
    if (reason.isEmpty()) return QStringLiteral("无法打开文档！");
    return QStringLiteral("无法打开文档：") + reason + QStringLiteral("！");
}

void TurnPictureClockwise(const QString& sourcePath, const QString& targetPath) {
    lk::Picture source;
    source.load(sourcePath);
    const int w = source.width(), h = source.height();
    // The turned bitmap exchanges the sides.
    QImage turned(h, w, QImage::Format_RGB32);
    if (!turned.isNull()) {
        turned.fill(Qt::white);
        QPainter p(&turned);
        if (p.isActive() && !source.isNull())
            copyToParallelogram(p, source.image(), {QPointF(h, 0), QPointF(h, w), QPointF(0, 0)});
    }
    source.destroy();
    lk::Picture out;
    out.attach(std::move(turned));
    if (!out.save(targetPath)) showWorkerMessage(cacheSaveFailedText());
    out.destroy();
}

void ConvertDocumentPage(const QString& documentPath, const QString& outputFolder, int quality, int converter) {
    // "MS Office" and "WPS" take the very same path.
    (void)converter;
    lk::installWordServer();
    lk::AutomationThreadScope automation;

    lk::DispatchDriver app;
    if (!app.createServer(lk::kWordProgId)) {
        showWorkerMessage(wordServerMissingMessage());
        return;
    }

    // Opening stage.
    lk::DispatchDriver documents, document, selection, pageSetup, window, pane, pages;
    int orientation = 0;
    try {
        documents = app.objectProperty(dispid::kDocuments);
        lk::Variant fileName = lk::Variant::text(documentPath);
        lk::Variant confirmConversions = lk::Variant::flag(false);
        lk::Variant readOnly = lk::Variant::flag(true);
        lk::Variant addToRecentFiles = lk::Variant::flag(false);
        std::array<lk::Variant, 12> omitted;
        omitted.fill(lk::Variant::missing());
        std::vector<lk::Argument> openArgs = {lk::Argument::byReference(fileName), lk::Argument::byReference(confirmConversions),
                                              lk::Argument::byReference(readOnly), lk::Argument::byReference(addToRecentFiles)};
        for (lk::Variant& v : omitted) openArgs.push_back(lk::Argument::byReference(v));
        document = documents.objectMethod(dispid::kOpen, openArgs);
        selection = app.objectProperty(dispid::kSelection);
        pageSetup = selection.objectProperty(dispid::kPageSetup);
        orientation = pageSetup.intProperty(dispid::kOrientation);
        window = app.objectProperty(dispid::kActiveWindow);
        pane = window.objectProperty(dispid::kActivePane);
        pages = pane.objectProperty(dispid::kPages);
        pages.intProperty(dispid::kCount);  // asked for, not used
    } catch (const lk::AutomationError& e) {
        // A document that cannot be opened (damaged, protected, not a Word
        // document) would otherwise leave the user with an empty preview and
        // no word why.
        closeAndQuit(document, app);
        showWorkerMessage(documentOpenFailedMessage(e.description()));
        return;
    }

    const QSize size = pictureSize(quality, orientation);
    const QString picturePath = outputFolder + QStringLiteral("temp") + QStringLiteral(".jpg");

    // Export stage: a server error here ends the export quietly.
    lk::DispatchDriver windowSelection, goToResult, page;
    try {
        windowSelection = window.objectProperty(dispid::kWindowSelection);
        lk::Variant what = lk::Variant::int32(kGoToPage), which = lk::Variant::missing(), count = lk::Variant::int32(1),
                    name = lk::Variant::missing();
        const std::array<lk::Argument, 4> goToArgs = {lk::Argument::byReference(what), lk::Argument::byReference(which),
                                                      lk::Argument::byReference(count), lk::Argument::byReference(name)};
        goToResult = windowSelection.objectMethod(dispid::kGoTo, goToArgs);
        const std::array<lk::Argument, 1> itemArgs = {lk::Argument::byValue(lk::Variant::int32(1))};
        page = pages.objectMethod(dispid::kItem, itemArgs);
        const lk::Variant bits = page.invoke(dispid::kEnhMetaFileBits, lk::CallKind::PropertyGet);

        // Bits that are not an array of bytes leave the page white.
        lk::VectorPage metafile;
        if (bits.kind() == lk::Variant::Kind::Bytes) metafile.setBits(bits.bytesValue());

        QImage bitmap(size, QImage::Format_RGB32);
        if (!bitmap.isNull()) {
            bitmap.fill(Qt::white);
            QPainter p(&bitmap);
            metafile.play(p, QRect(QPoint(0, 0), size));
        }
        lk::Picture saver;
        saver.attach(std::move(bitmap));
        if (!saver.save(picturePath)) showWorkerMessage(cacheSaveFailedText());
        saver.destroy();
        if (orientation == 1) TurnPictureClockwise(picturePath, picturePath);
        metafile.clear();
    } catch (const lk::AutomationError&) {
    } catch (const std::exception&) {
    }
    windowSelection.release();
    goToResult.release();
    page.release();

    // Closing stage.
    closeAndQuit(document, app);
    pages.release();
    pane.release();
    window.release();
    pageSetup.release();
    selection.release();
    document.release();
    documents.release();
    app.release();
}

void DocumentImportWorker() {
    const QString folder = documentCacheFolder();
    if (folder.isEmpty()) {
        // The import command refuses such a folder before it starts a worker.
        lk::showMainWindowMessage(QStringLiteral("缓存图像文件失败！"));
        ImportRequest.pagePicturePath.clear();
    } else {
        ConvertDocumentPage(ImportRequest.documentPath, folder, 2, ImportRequest.converter);
        ImportRequest.pagePicturePath = folder + QStringLiteral("temp.jpg");
    }
    lk::postToMainWindow(WM_IMPORT_DONE);
}
