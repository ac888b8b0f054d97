#pragma once
// A picture loaded by content (JPEG, PNG, BMP) and saved with the encoder its
// file name's extension chooses. A file that is not a picture, or one too
// large to hold, loads as an empty picture; nothing throws.

#include <QImage>
#include <QString>

class QPainter;
class QRect;

namespace lk {

class Picture {
public:
    // Pictures of more pixels than this are refused before they are decoded.
    static constexpr qint64 kMaxPixels = 100'000'000;

    enum class LoadResult { Ok, NotAPicture, TooLarge };

    bool load(const QString& path) { return loadChecked(path) == LoadResult::Ok; }
    LoadResult loadChecked(const QString& path);
    void destroy() { attach(QImage()); }
    bool isNull() const { return image_.isNull(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    const QImage& image() const { return image_; }
    void attach(QImage image) {
        image_ = std::move(image);
        stretchCache_ = QImage();
    }

    // Saves with the encoder of the extension (JPEG at its default quality).
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
