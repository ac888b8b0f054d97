#pragma once
// Turns the first page of the document in ImportRequest.documentPath into the
// page picture, then posts WM_IMPORT_DONE to the main window.

#include <QString>

// The worker thread's procedure, started at idle priority by the import command.
void DocumentImportWorker();

// Converts the first page of documentPath through the "Word.Application"
// automation server into outputFolder + "temp.jpg" (outputFolder ends with a
// separator). quality 1, 2 or 3 picks 4200 by 5940, 2100 by 2970 or 840 by
// 1188 pixels; converter (0 "MS Office", 1 "WPS") changes nothing. Shows its
// own messages; returns when the server has been told to quit.
void ConvertDocumentPage(const QString& documentPath, const QString& outputFolder, int quality, int converter);

// Loads sourcePath, turns it a quarter turn clockwise pixel for pixel and
// saves it to targetPath (the encoder chosen by the extension).
void TurnPictureClockwise(const QString& sourcePath, const QString& targetPath);

// Messages of the document import.
QString wordServerMissingMessage();   // "无法启动MS-Word!"
QString documentOpenFailedMessage(const QString& reason);
