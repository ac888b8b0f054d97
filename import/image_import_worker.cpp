#include "image_import_worker.h"

#include "import_request.h"
#include "larkspan_dlg.h"
#include "page_picture_cache.h"
#include "user_dialogs.h"
#include "window_handle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <cstdint>
#include <system_error>
#include <thread>

namespace {

// 210 / 297, the page's width by its height.
constexpr double kPageProportion = 0.7070707070707071;

// a * b / c with the product taken in 64 bits and the remainder dropped. For
// every picture whose products fit 32 bits this is the 32-bit result; strips
// with a side of several hundred thousand pixels no longer overflow.
int mulDivTrunc(int a, int b, int c) {
    return static_cast<int>(static_cast<std::int64_t>(a) * b / c);
}

// Shows a message owned by the main window, from the worker's thread, and
// waits until it is closed. Once the window has ended it is shown unowned:
// the worker never reaches a window that is gone.
void tellUser(const QString& text) { lk::showMainWindowMessage(text); }

}  // namespace

QString imageUnreadableMessage() { return QStringLiteral("无法读取所选图片文件，导入失败！"); }
QString imageTooLargeMessage() { return QStringLiteral("图片像素过多（超过1亿像素），无法导入！"); }
QString cacheSaveFailedMessage() { return QStringLiteral("缓存图像文件失败！"); }

PageLayout ComputePageLayout(int width, int height) {
    PageLayout l;
    if (width <= 0 || height <= 0) return l;
    const double r = static_cast<double>(width) / height;
    if (r > kPageProportion) {
        l.canvasWidth = width;
        l.canvasHeight = static_cast<int>(static_cast<double>(static_cast<std::int64_t>(width) * 297) / 210.0);
        l.offsetX = 0;
        l.offsetY = static_cast<int>((l.canvasHeight - height) * 0.5);
    } else if (r < kPageProportion) {
        l.canvasHeight = height;
        l.canvasWidth = static_cast<int>(static_cast<double>(static_cast<std::int64_t>(height) * 210) / 297.0);
        l.offsetX = static_cast<int>((l.canvasWidth - width) * 0.5);
        l.offsetY = 0;
    } else {
        l.canvasWidth = width;
        l.canvasHeight = height;
    }
    // A smaller picture keeps its own resolution; a larger canvas is scaled
    // to the largest page, both sides together.
    if (l.canvasWidth > kMaxPageWidth || l.canvasHeight > kMaxPageHeight) {
        l.pageWidth = kMaxPageWidth;
        l.pageHeight = kMaxPageHeight;
    } else {
        l.pageWidth = l.canvasWidth;
        l.pageHeight = l.canvasHeight;
    }
    l.picture.left = mulDivTrunc(l.pageWidth, l.offsetX, l.canvasWidth);
    l.picture.top = mulDivTrunc(l.pageHeight, l.offsetY, l.canvasHeight);
    l.picture.right = l.picture.left + mulDivTrunc(width, l.pageWidth, l.canvasWidth);
    l.picture.bottom = l.picture.top + mulDivTrunc(height, l.pageHeight, l.canvasHeight);
    return l;
}

ComposedPage ComposePagePicture(const QString& imagePath) {
    ComposedPage out;
    QSize size;
    out.load = lk::Picture::probe(imagePath, &size);
    if (out.load != lk::Picture::LoadResult::Ok) return out;
    out.layout = ComputePageLayout(size.width(), size.height());
    const lk::Rect& r = out.layout.picture;
    const QSize placedSize(r.width(), r.height());

    // The white page is made on a second thread while the picture decodes:
    // filling a page of up to 100 MB is work the decoder need not wait for.
    QImage page;
    auto makePage = [&page, w = out.layout.pageWidth, h = out.layout.pageHeight] {
        page = QImage(w, h, QImage::Format_RGB32);
        if (!page.isNull()) page.fill(Qt::white);
    };
    std::thread pageMaker;
    try {
        pageMaker = std::thread(makePage);
    } catch (const std::system_error&) {
        makePage();  // no thread to be had: the page is made first
    }

    QImage placed;
    {
        lk::Picture picture;
        out.load = picture.loadChecked(imagePath, placedSize);
        if (out.load == lk::Picture::LoadResult::Ok) {
            // The copy takes each pixel's stored colour, whatever its alpha.
            picture.dropAlpha();
            placed = picture.detach();
        }
    }
    if (!placed.isNull() && placed.size() != placedSize && !placedSize.isEmpty()) {
        // Smooth scaling averages the source pixels under each page pixel.
        placed = placed.scaled(placedSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (pageMaker.joinable()) pageMaker.join();
    if (out.load != lk::Picture::LoadResult::Ok) return out;
    if (page.isNull()) return out;  // no memory for the page: the save reports it

    if (!placedSize.isEmpty() && !placed.isNull()) {
        QPainter p(&page);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(r.left, r.top, placed);
    }
    out.page = std::move(page);
    return out;
}

void ImageImportWorker() {
    const QString imagePath = ImportRequest.imagePath;
    QString filePath;
    {
        ComposedPage composed = ComposePagePicture(imagePath);
        const PageCacheFolder folder = pageCacheFolder();
        if (folder.ok()) filePath = folder.filePath();

        if (composed.load != lk::Picture::LoadResult::Ok) {
            // No page picture for a file that is not one we can take.
            if (!filePath.isEmpty()) QFile::remove(filePath);
            tellUser(composed.load == lk::Picture::LoadResult::TooLarge ? imageTooLargeMessage()
                                                                         : imageUnreadableMessage());
        } else {
            bool saved = false;
            if (folder.ok()) {
                if (!QFileInfo(folder.path).isDir()) QDir().mkdir(folder.path);
                lk::Picture page;
                page.attach(std::move(composed.page));
                saved = page.save(filePath);
            }
            if (!saved) tellUser(cacheSaveFailedMessage());
        }
        // The picture and the page are released here, before the window hears of it.
    }
    ImportRequest.pagePicturePath = filePath;
    lk::postToMainWindow(WM_IMPORT_DONE);
}
