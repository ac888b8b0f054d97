#pragma once
// "Word.Application": the word-processor automation server that document
// import drives, answering the calls the conversion makes with LibreOffice
// headless underneath. Opening a document converts it to PDF in a private
// LibreOffice profile and temporary folder of its own, bounded by a time
// limit; the page metafile it hands over is a one-page PDF. Closing the
// document and quitting remove every temporary file and end every process.
// The server counts as not registered when no soffice is found on PATH.

#include <QString>

namespace lk {

inline const QString kWordProgId = QStringLiteral("Word.Application");

// Registers the server under "Word.Application" unless another server is
// registered under that name already.
void installWordServer();

// The longest a conversion may take before LibreOffice is killed and the
// open fails (default two minutes).
void setWordConversionTimeout(int milliseconds);

// Temporary folders of servers that have not quit yet (for tests).
int openWordServerFolders();

// The checks made before converting: what kind of document a file is.
enum class WordFileKind { Missing, Unreadable, Empty, TooLarge, OpenXml, Binary, Encrypted, Unknown };
WordFileKind classifyWordFile(const QString& path);

}  // namespace lk
