#pragma once
// What an import command hands to its worker, and the page picture cache:
// the folder "temp" under the current directory with its one file "temp.jpg".

#include <QString>

struct ImportRequestRecord {
    QString imagePath;        // picture to import
    QString documentPath;     // document to import
    int converter = 0;        // 0: "MS Office", 1: "WPS"
    QString pagePicturePath;  // the page picture the last import made
};

extern ImportRequestRecord ImportRequest;
