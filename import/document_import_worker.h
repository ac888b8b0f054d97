#pragma once
// Turns the first page of the document in ImportRequest.documentPath into the
// page picture, then posts WM_IMPORT_DONE to the main window.

void DocumentImportWorker();
