#include "picture.h"

#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

namespace lk {

namespace {

// Qt refuses to decode more than 128 MB by default, less than a 48-megapixel
// photograph needs. The pixel count is checked before decoding, so the limit
// only has to let the largest accepted picture through at the widest pixel
// format the decoders use (8 bytes: 16 bits per channel with alpha).
constexpr int kAllocationLimitMb = static_cast<int>(Picture::kMaxPixels * 8 / (1024 * 1024) + 1);

// The reader's verdict on a file, before anything is decoded.
Picture::LoadResult openReader(QImageReader& reader, QSize* size) {
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    if (!reader.canRead()) return Picture::LoadResult::NotAPicture;
    const QSize s = reader.size();
    if (!s.isValid() || s.isEmpty()) return Picture::LoadResult::NotAPicture;
    if (static_cast<qint64>(s.width()) * s.height() > Picture::kMaxPixels) return Picture::LoadResult::TooLarge;
    if (size) *size = s;
    return Picture::LoadResult::Ok;
}

}  // namespace

Picture::LoadResult Picture::probe(const QString& path, QSize* size) {
    QImageReader reader(path);
    return openReader(reader, size);
}

Picture::LoadResult Picture::loadChecked(const QString& path, QSize fitSize) {
    destroy();
    QImageReader reader(path);
    QSize size;
    const LoadResult verdict = openReader(reader, &size);
    if (verdict != LoadResult::Ok) return verdict;
    reader.setAllocationLimit(kAllocationLimitMb);
    // JPEG decoders can reduce while decoding; the other formats would only
    // scale the whole decoded picture, which the caller does better (after
    // dropping alpha, which Qt's scaling would otherwise blend in).
    const bool reduce = !fitSize.isEmpty() && fitSize.width() <= size.width() &&
                        fitSize.height() <= size.height() && fitSize != size && reader.format() == "jpeg";
    if (reduce) reader.setScaledSize(fitSize);
    QImage img = reader.read();
    if (img.isNull()) return LoadResult::NotAPicture;
    attach(std::move(img));
    return LoadResult::Ok;
}

void Picture::dropAlpha() {
    if (image_.isNull() || !image_.hasAlphaChannel()) return;
    // Straight (not premultiplied) 8-bit colour keeps what the file stores,
    // also for pixels whose alpha is 0; then alpha is set opaque.
    if (image_.format() != QImage::Format_ARGB32) image_.convertTo(QImage::Format_ARGB32);
    for (int y = 0; y < image_.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
        for (int x = 0; x < image_.width(); ++x) line[x] |= 0xFF000000u;
    }
    image_.reinterpretAsFormat(QImage::Format_RGB32);
    stretchCache_ = QImage();
}

bool Picture::save(const QString& path) const {
    if (image_.isNull()) return false;
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format.isEmpty()) return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    QImageWriter writer(&file, format);
    // Without commit() the partly written file is removed, and the one that
    // stood under the name (if any) stays.
    if (!writer.write(image_)) return false;
    return file.commit();
}

QImage Picture::stretched(QSize size) const {
    if (image_.isNull() || size.isEmpty()) return QImage();
    if (stretchCache_.size() != size) {
        // Qt's smooth scaling averages every source pixel when it shrinks.
        stretchCache_ = image_.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return stretchCache_;
}

bool Picture::stretchTo(QPainter& p, const QRect& target) const {
    if (image_.isNull() || !p.isActive() || target.isEmpty()) return false;
    if (p.transform().type() <= QTransform::TxTranslate) {
        p.drawImage(target.topLeft(), stretched(target.size()));
    } else {
        p.save();
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(target, image_);
        p.restore();
    }
    return true;
}

}  // namespace lk
