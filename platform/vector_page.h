#pragma once
// A page of vector drawing that can be played into any rectangle: the
// stand-in for a page metafile. Its bits are a PDF document whose first page
// is the page; poppler renders it at separate horizontal and vertical
// resolutions so that the page fills the rectangle exactly, whatever its size.

#include <QByteArray>
#include <QSizeF>

#include <memory>

class QPainter;
class QRect;

namespace Poppler {
class Document;
}

namespace lk {

// Keeps poppler from printing its complaints about damaged PDFs: a PDF that
// cannot be read is reported by the caller.
void quietPdfErrors();

class VectorPage {
public:
    VectorPage();
    ~VectorPage();
    VectorPage(VectorPage&&) noexcept;
    VectorPage& operator=(VectorPage&&) noexcept;

    // Takes the page from its bits; false (and an empty page) when they are
    // not a readable, unlocked PDF with at least one page.
    bool setBits(const QByteArray& bits);
    bool isNull() const { return !document_; }
    void clear();
    // The page's size in points as it is shown (its rotation applied).
    QSizeF pageSize() const;

    // Draws the page stretched into target. Nothing is drawn for an empty page.
    bool play(QPainter& painter, const QRect& target) const;

private:
    std::unique_ptr<Poppler::Document> document_;
};

}  // namespace lk
