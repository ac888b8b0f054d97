#include "document_import_worker.h"

#include "import_request.h"
#include "larkspan_dlg.h"

#include <QDir>

void DocumentImportWorker() {
    ImportRequest.pagePicturePath = QDir::currentPath() + QStringLiteral("/temp/temp.jpg");
    lk::postToMainWindow(WM_IMPORT_DONE);
}
