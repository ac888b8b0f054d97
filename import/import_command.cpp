// The import command and its completion.

#include "busy_notice.h"
#include "document_import_worker.h"
#include "image_import_worker.h"
#include "import_request.h"
#include "larkspan_dlg.h"
#include "page_picture_cache.h"
#include "user_dialogs.h"
#include "worker_thread.h"

#include <QFile>
#include <QFileInfo>

namespace {

// One filter entry; the last three patterns have no dot, so they also take
// names that merely end in those letters.
const QString kImportFilter = QStringLiteral("文件(*.jpg; *.bmp;*.png;*.doc;*.docx)|*.jpg; *.bmp;*png;*doc;*docx||");

QString cacheFolderMessage(PageCacheFolder::Status status) {
    return status == PageCacheFolder::Status::TooLong
               ? QStringLiteral("当前目录路径过长，无法缓存图像文件，请将程序放在较短的路径下运行！")
               : QStringLiteral("无法读取当前目录，无法缓存图像文件！");
}

}  // namespace

void CLarkspanDlg::OnBnClickedImportFile() {
    // One import at a time: the button is disabled while an import runs, and a
    // command arriving anyway is ignored.
    if (!isControlEnabled(ctl::kImportFile)) return;

    const std::optional<QString> chosen = lk::userDialogs().openFile(this, kImportFilter);
    if (!chosen) return;
    const QString path = *chosen;

    // The cache is found after the file dialog has closed. A folder path that
    // does not fit is refused before anything changes.
    const PageCacheFolder folder = pageCacheFolder();
    if (!folder.ok()) {
        lk::showMessage(this, cacheFolderMessage(folder.status));
        return;
    }
    if (QFileInfo(folder.path).isDir()) QFile::remove(folder.filePath());

    if (!m_image.isNull()) m_image.destroy();
    invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);

    // The ending decides, exactly as written: mixed case, "jpeg" and upper-case
    // document endings start nothing.
    const QString ending = path.right(3);
    static const char* const kPictureEndings[] = {"jpg", "JPG", "png", "PNG", "bmp", "BMP"};
    for (const char* e : kPictureEndings) {
        if (ending != QLatin1String(e)) continue;
        ImportRequest.imagePath = path;
        StartBusyNotice(*this);
        enableControl(ctl::kImportFile, false);
        lk::startIdleWorker(ImageImportWorker);
        return;
    }
    if (ending == QLatin1String("doc") || ending == QLatin1String("ocx")) {
        const QString converter = controlText(ctl::kConverter);
        if (converter == QLatin1String("WPS")) ImportRequest.converter = 1;
        else if (converter == QLatin1String("MS Office")) ImportRequest.converter = 0;
        ImportRequest.documentPath = path;
        StartBusyNotice(*this);
        enableControl(ctl::kImportFile, false);
        lk::startIdleWorker(DocumentImportWorker);
    }
}

long CLarkspanDlg::OnImportDone(std::uintptr_t, std::intptr_t) {
    StopBusyNotice(*this);
    if (!m_image.isNull()) m_image.destroy();
    m_image.load(ImportRequest.pagePicturePath);
    invalidate(QRect(0, 0, m_previewWidth, m_previewHeight), true);
    // The import is over: the next one may start.
    enableControl(ctl::kImportFile, true);
    return 0;
}
