#pragma once
// A picture loaded by content (JPEG, PNG, BMP) and saved with the encoder its
// file name's extension chooses. A file that is not a picture, or one too
// large to hold, loads as an empty picture; nothing throws.

#include <QImage>
#include <QSize>
#include <QString>

class QPainter;
class QRect;

namespace lk {

class Picture {
public:
    // Pictures of more pixels than this are refused before they are decoded.
    // 100 megapixels take in every camera photograph; the decoded picture of
    // that size stays within a few hundred megabytes.
    static constexpr qint64 kMaxPixels = 100'000'000;

    enum class LoadResult { Ok, NotAPicture, TooLarge };

    // The size a file's picture has, read from its header without decoding
    // it; size is set only when the result is Ok.
    static LoadResult probe(const QString& path, QSize* size);

    bool load(const QString& path) { return loadChecked(path) == LoadResult::Ok; }
    // Loads the whole picture. With a fit size smaller than the picture, a
    // JPEG is decoded straight at that size (the decoder's own reduction, then
    // smooth scaling for the rest), which saves the memory and time of the full
    // picture; other formats are always loaded whole. The caller compares the
    // loaded size with the fit size.
    LoadResult loadChecked(const QString& path, QSize fitSize = QSize());
    void destroy() { attach(QImage()); }
    bool isNull() const { return image_.isNull(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    const QImage& image() const { return image_; }
    void attach(QImage image) {
        image_ = std::move(image);
        stretchCache_ = QImage();
    }
    // Hands the picture over and leaves this one empty.
    QImage detach() {
        QImage out = std::move(image_);
        image_ = QImage();
        stretchCache_ = QImage();
        return out;
    }

    // Makes the picture opaque: every pixel keeps the colour values stored
    // for it, whatever its alpha was (a fully transparent red pixel stays red).
    void dropAlpha();

    // Saves with the encoder of the extension (JPEG at its default settings).
    // The file is written beside its place and moved there only when complete,
    // so a failed save never leaves a half-written file under the name.
    bool save(const QString& path) const;

    // The whole picture scaled to the size with smooth (averaging) scaling.
    QImage stretched(QSize size) const;
    // Copies the whole picture into the rectangle with smooth (averaging) scaling.
    bool stretchTo(QPainter& p, const QRect& target) const;

private:
    QImage image_;
    // The last stretch, kept until the picture or the size changes.
    mutable QImage stretchCache_;
};

}  // namespace lk
