#include "vector_page.h"

#include <poppler-qt6.h>

#include <QPainter>
#include <QRect>

#include <mutex>

namespace lk {

void quietPdfErrors() {
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant()); });
}

VectorPage::VectorPage() = default;
VectorPage::~VectorPage() = default;
VectorPage::VectorPage(VectorPage&&) noexcept = default;
VectorPage& VectorPage::operator=(VectorPage&&) noexcept = default;

void VectorPage::clear() { document_.reset(); }

bool VectorPage::setBits(const QByteArray& bits) {
    clear();
    if (bits.isEmpty()) return false;
    quietPdfErrors();
    std::unique_ptr<Poppler::Document> doc = Poppler::Document::loadFromData(bits);
    if (!doc || doc->isLocked() || doc->numPages() < 1) return false;
    std::unique_ptr<Poppler::Page> page = doc->page(0);
    if (!page) return false;
    const QSizeF size = page->pageSizeF();
    if (!(size.width() > 0) || !(size.height() > 0)) return false;
    document_ = std::move(doc);
    return true;
}

QSizeF VectorPage::pageSize() const {
    if (!document_) return QSizeF();
    std::unique_ptr<Poppler::Page> page = document_->page(0);
    return page ? page->pageSizeF() : QSizeF();
}

bool VectorPage::play(QPainter& painter, const QRect& target) const {
    if (!document_ || target.isEmpty() || !painter.isActive()) return false;
    std::unique_ptr<Poppler::Page> page = document_->page(0);
    if (!page) return false;
    const QSizeF size = page->pageSizeF();
    // One resolution across and another down, so the page covers exactly
    // target.width() by target.height() pixels; the explicit slice keeps
    // rounding from adding or dropping a row or column.
    const double xres = target.width() * 72.0 / size.width();
    const double yres = target.height() * 72.0 / size.height();
    document_->setRenderHint(Poppler::Document::Antialiasing, true);
    document_->setRenderHint(Poppler::Document::TextAntialiasing, true);
    const QImage img = page->renderToImage(xres, yres, 0, 0, target.width(), target.height());
    if (img.isNull()) return false;
    if (painter.transform().type() <= QTransform::TxTranslate && img.size() == target.size())
        painter.drawImage(target.topLeft(), img);
    else
        painter.drawImage(target, img);
    return true;
}

}  // namespace lk
