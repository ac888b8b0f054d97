#pragma once
// What the print command hands to the print worker: a snapshot of the print
// settings, with the number's place and height as fractions of the preview
// area so that they apply to a page picture of any size.

#include "color_ref.h"

#include <QString>

struct PrintJobRecord {
    lk::ColorRef fontColor = 0;  // colour of the printed number
    QString fontFace;            // face of the printed number
    int firstNumber = 0;         // first carton number
    int lastNumber = 0;          // last carton number, inclusive
    int labelsPerSheet = 0;      // 1 or 2
    double xRatio = 0;           // number rectangle's left edge / preview width
    double yRatio = 0;           // number rectangle's top edge / preview height
    double heightRatio = 0;      // number text's height / preview height
    int textDirection = 0;       // 0: upright; 1: turned to read from top to bottom
};

// The last print command's settings; written on the user-interface thread
// only, before the worker starts (the worker gets its own copy).
extern PrintJobRecord PrintJob;
