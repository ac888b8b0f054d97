#include "picture.h"

#include <QImageReader>
#include <QImageWriter>
#include <QPainter>

namespace lk {

Picture::LoadResult Picture::loadChecked(const QString& path) {
    destroy();
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid()) return LoadResult::NotAPicture;
    if (static_cast<qint64>(size.width()) * size.height() > kMaxPixels) return LoadResult::TooLarge;
    // The pixel count is checked above; lift Qt's own smaller decoding cap.
    reader.setAllocationLimit(static_cast<int>(kMaxPixels * 4 / (1024 * 1024) + 1));
    QImage img = reader.read();
    if (img.isNull()) return LoadResult::NotAPicture;
    attach(std::move(img));
    return LoadResult::Ok;
}

bool Picture::save(const QString& path) const {
    if (image_.isNull()) return false;
    QImageWriter writer(path);
    return writer.write(image_);
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
