#pragma once
// Turns the picture named by ImportRequest.imagePath into the page picture:
// the picture centred at its own proportions on a white upright page of the
// proportions 210:297, at most 4200 by 5940 pixels, saved as "temp.jpg" in the
// page picture cache. Then ImportRequest.pagePicturePath is set and
// WM_IMPORT_DONE posted to the main window, once, whatever happened.

#include "geometry.h"
#include "picture.h"

#include <QImage>
#include <QString>

// Where a picture of width by height pixels lands: the canvas that pads it
// with white to 210:297, its offset there, and the page that is saved.
struct PageLayout {
    int canvasWidth = 0, canvasHeight = 0;
    int offsetX = 0, offsetY = 0;
    int pageWidth = 0, pageHeight = 0;
    lk::Rect picture;  // the picture's rectangle on the page
};

// The largest page; larger canvases are scaled down to exactly this size.
constexpr int kMaxPageWidth = 4200;
constexpr int kMaxPageHeight = 5940;

PageLayout ComputePageLayout(int width, int height);

struct ComposedPage {
    lk::Picture::LoadResult load = lk::Picture::LoadResult::NotAPicture;
    PageLayout layout;
    QImage page;  // the white page with the picture on it; null when it could not be made
};

// Loads the picture and draws it on its page (no file is written).
ComposedPage ComposePagePicture(const QString& imagePath);

// Messages of the picture import.
QString imageUnreadableMessage();
QString imageTooLargeMessage();
QString cacheSaveFailedMessage();

// The worker thread's procedure, started at idle priority by the import command.
void ImageImportWorker();
