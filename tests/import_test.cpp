// Picture import: the page geometry, the picture on its page, the import
// command with its endings and its completion, failures, and the busy notice.

#include "busy_notice.h"
#include "image_import_worker.h"
#include "import_request.h"
#include "page_picture_cache.h"
#include "test_support.h"
#include "worker_thread.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>

#include <array>
#include <cmath>
#include <atomic>
#include <thread>
#include <vector>
#include <cstring>

namespace {

const QColor kInk(30, 90, 200);

// Writes a picture of one colour (or the given image) in the file's format.
QString writePicture(const QString& path, const QImage& img, int quality = -1) {
    QImageWriter w(path);
    if (quality >= 0) w.setQuality(quality);
    EXPECT_TRUE(w.write(img)) << path.toStdString() << ": " << w.errorString().toStdString();
    return path;
}

QImage solid(QSize size, QColor c) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    return img;
}

// A picture whose every pixel differs from its neighbours and none is white.
QImage patterned(QSize size) {
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < size.width(); ++x) line[x] = qRgb(x % 251, y % 241, (x + y) % 200);
    }
    return img;
}

bool nearWhite(QRgb c, int tol) { return qRed(c) >= 255 - tol && qGreen(c) >= 255 - tol && qBlue(c) >= 255 - tol; }

// Bounding box of the pixels that are not (near) white.
QRect nonWhiteBounds(const QImage& img, int tol = 0) {
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    for (int y = 0; y < img.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if (nearWhite(line[x], tol)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The rectangle's rows and columns, shrunk by the tolerance on every side,
// all hold the colour, and everything further than the tolerance outside it
// is white: a JPEG page read back, with its noise at the edges.
void expectPlacedWithTolerance(const QImage& page, const QRect& r, QColor color, int edge = 3, int tol = 12) {
    int wrongInside = 0, wrongOutside = 0;
    const QRect inner = r.adjusted(edge, edge, -edge, -edge);
    const QRect outer = r.adjusted(-edge, -edge, edge, edge);
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QRgb c = page.pixel(x, y);
            if (inner.contains(x, y)) wrongInside += !isColor(c, color, tol);
            else if (!outer.contains(x, y)) wrongOutside += !nearWhite(c, tol);
        }
    EXPECT_EQ(wrongInside, 0) << "pixels inside the picture that are not its colour";
    EXPECT_EQ(wrongOutside, 0) << "pixels outside the picture that are not white";
}

// A PNG header that claims the size but holds no picture data: enough for
// the size check, which must refuse it before decoding anything.
QByteArray pngHeaderOnly(quint32 width, quint32 height) {
    auto crc32 = [](const QByteArray& data) {
        quint32 c = 0xFFFFFFFFu;
        for (unsigned char b : data) {
            c ^= b;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return c ^ 0xFFFFFFFFu;
    };
    auto be32 = [](quint32 v) {
        QByteArray b(4, 0);
        for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
        return b;
    };
    auto chunk = [&](const char* type, const QByteArray& body) {
        const QByteArray typed = QByteArray(type) + body;
        return be32(static_cast<quint32>(body.size())) + typed + be32(crc32(typed));
    };
    QByteArray ihdr = be32(width) + be32(height);
    ihdr += QByteArray("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB
    // The reader stops at the first data chunk; its content is never reached.
    const QByteArray data("\x78\x9c\x03\x00\x00\x00\x00\x01", 8);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", data) + chunk("IEND", QByteArray());
}

// ---------------------------------------------------------------------------
// The page geometry and the picture on its page.

struct WorkedExample {
    int w, h;
    int pw, ph;
    lk::Rect placed;  // left, top, right, bottom
};

// Left, top, width and height as the examples give them.
constexpr lk::Rect rectOf(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }

const WorkedExample kWorkedExamples[] = {
    {2100, 2970, 2100, 2970, rectOf(0, 0, 2100, 2970)},   {1000, 1000, 1000, 1414, rectOf(0, 207, 1000, 1000)},
    {640, 480, 640, 905, rectOf(0, 212, 640, 480)},       {1000, 3000, 2121, 3000, rectOf(560, 0, 1000, 3000)},
    {3000, 1000, 3000, 4242, rectOf(0, 1621, 3000, 1000)}, {6000, 4000, 4200, 5940, rectOf(0, 1569, 4200, 2800)},
    {4200, 5941, 4200, 5940, rectOf(0, 0, 4200, 5940)},
};

TEST(PageLayout, WorkedExamplesAndExtremes) {
    for (const WorkedExample& e : kWorkedExamples) {
        const PageLayout l = ComputePageLayout(e.w, e.h);
        EXPECT_EQ(l.pageWidth, e.pw) << e.w << "x" << e.h;
        EXPECT_EQ(l.pageHeight, e.ph) << e.w << "x" << e.h;
        EXPECT_EQ(l.picture, e.placed) << e.w << "x" << e.h;
    }
    // Exactly the page's proportion (70:99) takes the exact branch: no band.
    const PageLayout exact = ComputePageLayout(70, 99);
    EXPECT_EQ(exact.picture, rectOf(0, 0, 70, 99));
    EXPECT_EQ(exact.pageWidth, 70);
    EXPECT_EQ(exact.pageHeight, 99);
    // A strip whose 32-bit products would overflow still lands on the page.
    const PageLayout strip = ComputePageLayout(1'000'000, 50);
    EXPECT_EQ(strip.pageWidth, 4200);
    EXPECT_EQ(strip.pageHeight, 5940);
    EXPECT_EQ(strip.picture.left, 0);
    EXPECT_EQ(strip.picture.width(), 4200);
    EXPECT_GE(strip.picture.top, 0);
    EXPECT_LE(strip.picture.bottom, 5940);
    // A picture without pixels has no page.
    EXPECT_EQ(ComputePageLayout(0, 0).pageWidth, 0);
}

class ComposeTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString file(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

TEST_F(ComposeTest, EveryWorkedExampleIsPlacedToThePixel) {
    for (const WorkedExample& e : kWorkedExamples) {
        SCOPED_TRACE(testing::Message() << e.w << "x" << e.h);
        const bool capped = e.w != e.placed.width() || e.h != e.placed.height();
        // Pages at the picture's own resolution are checked pixel by pixel
        // against a lossless source; capped pages come from a JPEG photograph
        // and are checked by where the picture's colour ends.
        const QImage source = capped ? solid({e.w, e.h}, kInk) : patterned({e.w, e.h});
        const QString path = capped ? writePicture(file("source.jpg"), source, 100)
                                    : writePicture(file("source.png"), source);
        const ComposedPage c = ComposePagePicture(path);
        ASSERT_EQ(c.load, lk::Picture::LoadResult::Ok);
        ASSERT_EQ(c.page.size(), QSize(e.pw, e.ph));
        EXPECT_EQ(nonWhiteBounds(c.page, capped ? 4 : 0), e.placed.toQRect());
        if (capped) {
            EXPECT_TRUE(isColor(c.page.pixel(e.placed.left + e.placed.width() / 2, e.placed.top), kInk, 4));
            EXPECT_TRUE(isColor(c.page.pixel(e.placed.right - 1, e.placed.bottom - 1), kInk, 4));
        } else {
            EXPECT_EQ(c.page.copy(e.placed.toQRect()).convertToFormat(QImage::Format_RGB32), source);
        }
    }
}

TEST_F(ComposeTest, PhotographDecodedStraightToPageSizeLooksLikeTheFullDecodeScaled) {
    // A photograph with detail at every scale, larger than the page.
    QImage photo(5000, 3000, QImage::Format_RGB32);
    std::vector<double> sx(5000), fx(5000), gx(5000);
    for (int x = 0; x < 5000; ++x) {
        sx[x] = std::sin(x * 0.01);
        fx[x] = std::sin(x * 0.2);
        gx[x] = std::cos(x * 0.2);
    }
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        const double cy = std::cos(y * 0.013), fy = std::sin(y * 0.4), gy = std::cos(y * 0.4);
        for (int x = 0; x < photo.width(); ++x) {
            // A slow wave with a fine diagonal ripple: sin(0.2 x + 0.4 y).
            const double v = sx[x] * cy + 0.3 * (fx[x] * gy + gx[x] * fy);
            line[x] = qRgb(128 + static_cast<int>(90 * v), (x * 255) / photo.width(), (y * 255) / photo.height());
        }
    }
    const QString path = writePicture(file("photo.jpg"), photo, 92);
    const ComposedPage c = ComposePagePicture(path);
    ASSERT_EQ(c.load, lk::Picture::LoadResult::Ok);
    const QRect r = c.layout.picture.toQRect();
    ASSERT_EQ(r.size(), QSize(4200, 2520));
    // The reference: the whole photograph decoded, then averaged down.
    const QImage reference = QImage(path).scaled(r.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_RGB32);
    const QImage placed = c.page.copy(r);
    double sum = 0;
    for (int y = 0; y < r.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(placed.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(reference.constScanLine(y));
        for (int x = 0; x < r.width(); ++x)
            sum += std::abs(qRed(a[x]) - qRed(b[x])) + std::abs(qGreen(a[x]) - qGreen(b[x])) +
                   std::abs(qBlue(a[x]) - qBlue(b[x]));
    }
    EXPECT_LT(sum / (3.0 * r.width() * r.height()), 1.5) << "mean difference per channel";
}

TEST_F(ComposeTest, TransparentPixelsKeepTheirStoredColour) {
    // Left half: fully transparent red; right half: opaque blue. Small (placed
    // as it is) and large (scaled down to the page).
    for (const QSize size : {QSize(100, 100), QSize(5000, 5000)}) {
        SCOPED_TRACE(testing::Message() << size.width());
        QImage img(size, QImage::Format_ARGB32);
        img.fill(QColor(0, 0, 255));
        for (int y = 0; y < size.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < size.width() / 2; ++x) line[x] = qRgba(255, 0, 0, 0);
        }
        const ComposedPage c = ComposePagePicture(writePicture(file("clear.png"), img));
        ASSERT_EQ(c.load, lk::Picture::LoadResult::Ok);
        const lk::Rect& r = c.layout.picture;
        const int midY = (r.top + r.bottom) / 2;
        EXPECT_TRUE(isColor(c.page.pixel(r.left + 2, midY), QColor(255, 0, 0))) << Qt::hex << c.page.pixel(r.left + 2, midY);
        EXPECT_TRUE(isColor(c.page.pixel(r.right - 3, midY), QColor(0, 0, 255)));
        EXPECT_TRUE(isColor(c.page.pixel(r.left + 2, r.top - 1), Qt::white));  // the band above stays white
    }
}

TEST_F(ComposeTest, CameraPhotographImportsOversizePictureIsRefusedUnreadableFileToo) {
    // 48 megapixels are beyond Qt's own default allowance when decoded whole
    // (a PNG always is; a JPEG may be reduced while decoding).
    for (const char* name : {"camera.jpg", "scan.png"}) {
        const ComposedPage photo = ComposePagePicture(writePicture(file(name), solid({8000, 6000}, kInk)));
        EXPECT_EQ(photo.load, lk::Picture::LoadResult::Ok) << name;
        EXPECT_EQ(photo.page.size(), QSize(4200, 5940)) << name;
    }

    QFile big(file("huge.png"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(pngHeaderOnly(20000, 10000));
    big.close();
    EXPECT_EQ(ComposePagePicture(big.fileName()).load, lk::Picture::LoadResult::TooLarge);
    QSize size;
    EXPECT_EQ(lk::Picture::probe(big.fileName(), &size), lk::Picture::LoadResult::TooLarge);

    QFile text(file("notes.jpg"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture at all\n");
    text.close();
    EXPECT_EQ(ComposePagePicture(text.fileName()).load, lk::Picture::LoadResult::NotAPicture);
    EXPECT_EQ(ComposePagePicture(file("missing.png")).load, lk::Picture::LoadResult::NotAPicture);
}

TEST(PictureSave, FailureIsReportedAndLeavesNoFileBehind) {
    QTemporaryDir dir;
    lk::Picture pic;
    pic.attach(solid({64, 64}, kInk));
    const QString good = dir.filePath(QStringLiteral("page.jpg"));
    ASSERT_TRUE(pic.save(good));
    QImageReader back(good);
    EXPECT_EQ(back.format(), QByteArray("jpeg"));
    // A folder that is really a file: nothing can be written under it.
    QFile blocker(dir.filePath(QStringLiteral("temp")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(pic.save(dir.filePath(QStringLiteral("temp/temp.jpg"))));
    EXPECT_FALSE(pic.save(dir.filePath(QStringLiteral("noextension"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("noextension"))));
    lk::Picture empty;
    EXPECT_FALSE(empty.save(dir.filePath(QStringLiteral("empty.jpg"))));
}

// ---------------------------------------------------------------------------
// The import command in the main window, with the cache under a temporary
// current directory.

class ImportTest : public MainWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(cwd.isValid());
        oldCwd = QDir::currentPath();
        QDir::setCurrent(cwd.path());
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        waitFor([] { return lk::runningWorkers() == 0; }, 60000);
        settle();
        MainWindowTest::TearDown();
        QDir::setCurrent(oldCwd);
    }

    QString cacheFile() const { return QDir::currentPath() + QStringLiteral("/temp/temp.jpg"); }
    QString sourceFile(const QString& name) const { return sources.filePath(name); }

    // Chooses the file in the import dialog.
    void choose(const QString& path) {
        dialogs.files.push_back(path);
        dlg->sendCommand(ctl::kImportFile);
    }
    // Waits until the running import has been completed by the window.
    bool importDone() {
        const bool done = waitFor(
            [&] { return lk::runningWorkers() == 0 && !dlg->timerRunning(kBusyTimerId) &&
                         dlg->isControlEnabled(ctl::kImportFile); },
            60000);
        repaint();
        return done;
    }
    // A design in the window and a page picture in the cache, as after an import.
    void haveDesign() {
        choose(writePicture(sourceFile(QStringLiteral("design.png")), solid({210, 297}, QColor(200, 30, 30))));
        ASSERT_TRUE(importDone());
        ASSERT_FALSE(dlg->m_image.isNull());
        ASSERT_TRUE(QFile::exists(cacheFile()));
    }
    // The preview's colour halfway down its left edge.
    QRgb previewPixel(int x, int y) const { return dlg->clientImage().pixel(x, y); }

    QTemporaryDir cwd, sources;
    QString oldCwd;
};

TEST_F(ImportTest, PictureBecomesThePagePictureAndTheDesignInThePreview) {
    choose(writePicture(sourceFile(QStringLiteral("label.jpg")), solid({640, 480}, kInk), 95));
    // The worker runs: the notice is on, the button is taken away, nothing is shown.
    EXPECT_TRUE(dlg->timerRunning(kBusyTimerId));
    EXPECT_FALSE(dlg->isControlEnabled(ctl::kImportFile));
    EXPECT_TRUE(dlg->m_image.isNull());
    EXPECT_EQ(ImportRequest.imagePath, sourceFile(QStringLiteral("label.jpg")));
    ASSERT_TRUE(importDone());

    EXPECT_EQ(ImportRequest.pagePicturePath, cacheFile());
    const QImage page(cacheFile());
    ASSERT_EQ(page.size(), QSize(640, 905));
    expectPlacedWithTolerance(page, QRect(0, 212, 640, 480), kInk);
    EXPECT_EQ(dlg->m_image.width(), 640);
    EXPECT_EQ(dlg->m_image.height(), 905);
    EXPECT_TRUE(dialogs.messages.empty());
    // The preview shows the page stretched to 470 by 665: the picture in the
    // middle band, white above it.
    EXPECT_TRUE(isColor(previewPixel(10, 332), kInk, 16));
    EXPECT_TRUE(isColor(previewPixel(10, 60), Qt::white, 8));

    // A second import replaces the page picture; the folder holds only it.
    choose(writePicture(sourceFile(QStringLiteral("tall.png")), solid({1000, 3000}, kInk)));
    ASSERT_TRUE(importDone());
    EXPECT_EQ(QImage(cacheFile()).size(), QSize(2121, 3000));
    EXPECT_EQ(QDir(QStringLiteral("temp")).entryList(QDir::Files), QStringList{QStringLiteral("temp.jpg")});
}

TEST_F(ImportTest, FileEndingsDecideCaseSensitivelyAndEveryChoiceClearsTheDesign) {
    struct Case { const char* name; bool picture; };
    const Case table[] = {
        {"label.JPG", true}, {"label.png", true},   {"label.Jpg", false},
        {"label.jpeg", false}, {"label.DOCX", false}, {"label.txt", false},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.name);
        haveDesign();
        const QString path = sourceFile(QString::fromLatin1(c.name));
        // The content is a picture whatever the name says.
        ASSERT_TRUE(solid({300, 200}, kInk).save(path, "JPEG"));
        dialogs.fileFilters.clear();
        choose(path);
        ASSERT_EQ(dialogs.fileFilters.size(), 1u);
        EXPECT_EQ(dialogs.fileFilters[0], QStringLiteral("文件(*.jpg; *.bmp;*.png;*.doc;*.docx)|*.jpg; *.bmp;*png;*doc;*docx||"));
        // Whatever the ending: the old design and its page picture are gone.
        EXPECT_TRUE(dlg->m_image.isNull());
        EXPECT_FALSE(QFile::exists(cacheFile()));
        EXPECT_EQ(dlg->timerRunning(kBusyTimerId), c.picture);
        EXPECT_EQ(dlg->isControlEnabled(ctl::kImportFile), !c.picture);
        ASSERT_TRUE(importDone());
        EXPECT_EQ(!dlg->m_image.isNull(), c.picture);
        EXPECT_EQ(QFile::exists(cacheFile()), c.picture);
        repaint();
        // No design: the preview is white.
        if (!c.picture) {
            EXPECT_TRUE(isColor(previewPixel(10, 332), Qt::white));
        }
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(ImportTest, CancellingChangesNothingDocumentsTakeTheConverterChoice) {
    haveDesign();
    dialogs.files.push_back(QString());  // cancel
    dlg->sendCommand(ctl::kImportFile);
    EXPECT_FALSE(dlg->m_image.isNull());
    EXPECT_TRUE(QFile::exists(cacheFile()));
    EXPECT_FALSE(dlg->timerRunning(kBusyTimerId));

    // Documents: the converter is read from the list; the request keeps the
    // picture path of the earlier import.
    const QString pictureBefore = ImportRequest.imagePath;
    for (int selection : {1, 0}) {
        dlg->setListSelection(ctl::kConverter, selection);
        choose(sourceFile(QStringLiteral("mark.docx")));
        EXPECT_EQ(ImportRequest.converter, selection);
        EXPECT_EQ(ImportRequest.documentPath, sourceFile(QStringLiteral("mark.docx")));
        EXPECT_TRUE(dlg->timerRunning(kBusyTimerId));
        EXPECT_FALSE(QFile::exists(cacheFile()));
        ASSERT_TRUE(importDone());
    }
    EXPECT_EQ(ImportRequest.imagePath, pictureBefore);
    dialogs.messages.clear();  // the document worker may have something to say about a missing file
}

TEST_F(ImportTest, OneImportAtATime) {
    choose(writePicture(sourceFile(QStringLiteral("photo.jpg")), solid({6000, 4000}, kInk)));
    ASSERT_FALSE(dlg->isControlEnabled(ctl::kImportFile));
    // A second command while the worker runs asks nothing and starts nothing.
    dialogs.files.push_back(sourceFile(QStringLiteral("photo.jpg")));
    dlg->sendCommand(ctl::kImportFile);
    EXPECT_EQ(dialogs.fileFilters.size(), 1u);
    EXPECT_EQ(dialogs.files.size(), 1u);
    ASSERT_TRUE(importDone());
    dialogs.files.clear();
    EXPECT_EQ(QImage(cacheFile()).size(), QSize(4200, 5940));
}

TEST_F(ImportTest, FailuresAreToldOnceAndTheNoticeStillStops) {
    struct Case {
        const char* what;
        std::function<QString()> prepare;  // returns the file to choose
        QString message;
    };
    const Case table[] = {
        {"cache folder blocked by a file",
         [&] {
             QDir(QStringLiteral("temp")).removeRecursively();
             QFile blocker(QStringLiteral("temp"));
             EXPECT_TRUE(blocker.open(QIODevice::WriteOnly));
             return writePicture(sourceFile(QStringLiteral("a.png")), solid({50, 50}, kInk));
         },
         cacheSaveFailedMessage()},
        {"not a picture",
         [&] {
             QFile f(sourceFile(QStringLiteral("broken.jpg")));
             EXPECT_TRUE(f.open(QIODevice::WriteOnly));
             f.write("\xFF\xD8\xFF garbage that ends here");
             return f.fileName();
         },
         imageUnreadableMessage()},
        {"more than 100 megapixels",
         [&] {
             QFile f(sourceFile(QStringLiteral("huge.png")));
             EXPECT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(pngHeaderOnly(12000, 9000));
             return f.fileName();
         },
         imageTooLargeMessage()},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        QFile::remove(QStringLiteral("temp"));
        QDir(QStringLiteral("temp")).removeRecursively();
        haveDesign();
        dialogs.messages.clear();
        choose(c.prepare());
        ASSERT_TRUE(importDone());
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, c.message);
        EXPECT_TRUE(dialogs.messages[0].hadOwner);
        EXPECT_EQ(dialogs.messages[0].caption, lk::applicationName());
        EXPECT_TRUE(dlg->m_image.isNull());
        EXPECT_FALSE(QFileInfo(cacheFile()).isFile());
        // The notice area is erased.
        const QRect client = dlg->clientRect();
        EXPECT_TRUE(inkBounds(dlg->clientImage(), QRect(client.width() - 170, client.height() - 40, 160, 40),
                              [](QRgb p) { return !isColor(p, QColor(240, 240, 240)); })
                        .isEmpty());
    }
    QFile::remove(QStringLiteral("temp"));
}

TEST_F(ImportTest, TooLongCurrentDirectoryIsRefusedBeforeAnythingChanges) {
    haveDesign();
    // Grow the current directory to exactly the longest accepted folder path,
    // then one character beyond it.
    QString deep = QDir::currentPath();
    const int target = kCacheFolderPathMax - 5;  // without "/temp"
    while (deep.size() < target) {
        const int room = target - deep.size() - 1;
        deep += QLatin1Char('/') + QString(std::min(room, 200), QLatin1Char('d'));
        ASSERT_TRUE(QDir().mkdir(deep));
    }
    ASSERT_EQ(deep.size(), target);
    ASSERT_TRUE(QDir::setCurrent(deep));
    EXPECT_TRUE(pageCacheFolder().ok());
    EXPECT_EQ(pageCacheFolder().path.size(), kCacheFolderPathMax);

    const QString longer = deep + QStringLiteral("/e");
    ASSERT_TRUE(QDir().mkdir(longer));
    ASSERT_TRUE(QDir::setCurrent(longer));
    EXPECT_EQ(pageCacheFolder().status, PageCacheFolder::Status::TooLong);

    dialogs.messages.clear();
    choose(sourceFile(QStringLiteral("design.png")));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(QStringLiteral("当前目录路径过长")));
    EXPECT_FALSE(dlg->timerRunning(kBusyTimerId));
    EXPECT_TRUE(dlg->isControlEnabled(ctl::kImportFile));
    EXPECT_FALSE(dlg->m_image.isNull());
    EXPECT_EQ(lk::runningWorkers(), 0);
    QDir::setCurrent(cwd.path());
}

TEST_F(ImportTest, WorkerEndingAfterTheWindowClosedTouchesNothing) {
    // The save will fail, so the worker has a message to show; the window is
    // gone by then: the message has no owner and nothing crashes.
    QFile blocker(QStringLiteral("temp"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    choose(writePicture(sourceFile(QStringLiteral("photo.jpg")), solid({6000, 4000}, kInk)));
    ASSERT_EQ(lk::runningWorkers(), 1);
    dlg.reset();
    ASSERT_TRUE(waitFor([] { return lk::runningWorkers() == 0; }, 60000));
    settle(50);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, cacheSaveFailedMessage());
    EXPECT_FALSE(dialogs.messages[0].hadOwner);
    EXPECT_EQ(ImportRequest.pagePicturePath, cacheFile());
    QFile::remove(QStringLiteral("temp"));
    dlg = std::make_unique<CLarkspanDlg>();  // for the fixture's tear-down
}

// ---------------------------------------------------------------------------
// The busy notice.

using BusyNoticeTest = MainWindowTest;

TEST_F(BusyNoticeTest, BlackSquareStepsAndCarriesOverBetweenBusyPeriods) {
    const QRect client = dlg->clientRect();
    const int W = client.width(), B = client.height() - 40;
    auto blackSquare = [&] {
        int black = 0;
        for (int i = 0; i < 3; ++i) {
            const QRgb c = dlg->clientImage().pixel(W - 165 + 25 * i + 10, B + 20);
            if (isColor(c, Qt::black)) black = black ? -1 : i + 1;
            else if (!isColor(c, QColor(255, 0, 255))) return -2;
        }
        return black;
    };
    const QRect textArea(W - 90, B + 10, 90, 30);
    const QRect eraseArea(W - 170, B, 160, 40);
    auto erased = [&] {
        return inkBounds(dlg->clientImage(), eraseArea, [](QRgb p) { return !isColor(p, QColor(240, 240, 240)); })
            .isEmpty();
    };

    StartBusyNotice(*dlg);
    EXPECT_TRUE(dlg->timerRunning(kBusyTimerId));
    EXPECT_EQ(dlg->m_busyPhase, 0);
    const std::array<int, 4> firstRun{1, 2, 3, 1};
    for (int expected : firstRun) {
        dlg->OnTimer(kBusyTimerId);
        EXPECT_EQ(blackSquare(), expected);
    }
    // The squares are 20 by 20 pixels, 5 apart; the text lies right of them.
    EXPECT_EQ(inkBounds(dlg->clientImage(), QRect(W - 170, B, 75, 40), [](QRgb p) { return isColor(p, Qt::black) || isColor(p, QColor(255, 0, 255)); }),
              QRect(W - 165, B + 10, 70, 20));
    EXPECT_FALSE(inkBounds(dlg->clientImage(), textArea, isDark).isEmpty());

    // Stopped after the second step: the area is grey again, the timer off.
    dlg->OnTimer(kBusyTimerId);
    EXPECT_EQ(blackSquare(), 2);
    StopBusyNotice(*dlg);
    EXPECT_FALSE(dlg->timerRunning(kBusyTimerId));
    EXPECT_TRUE(erased());
    // The next busy period goes on with the third square.
    StartBusyNotice(*dlg);
    dlg->OnTimer(kBusyTimerId);
    EXPECT_EQ(blackSquare(), 3);
    dlg->OnTimer(kBusyTimerId);
    EXPECT_EQ(blackSquare(), 1);
    // The real timer drives the same handler every 500 ms.
    ASSERT_TRUE(waitFor([&] { return blackSquare() == 2; }, 3000));
    StopBusyNotice(*dlg);
    EXPECT_TRUE(erased());

    // A worker starts and stops the notice on the window's thread.
    for (bool start : {true, false}) {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            start ? StartBusyNotice(*dlg) : StopBusyNotice(*dlg);
            done = true;
        });
        ASSERT_TRUE(waitFor([&] { return done.load(); }));
        worker.join();
        EXPECT_EQ(dlg->timerRunning(kBusyTimerId), start);
    }
}

}  // namespace
