// Drawing the preview area: the page picture fitted to 470 by 665 pixels,
// its borders, the colour swatch and the carton number.

#include "decimal_text.h"
#include "larkspan_dlg.h"
#include "number_font.h"
#include "settings.h"

#include <QComboBox>
#include <QPainter>

#include <algorithm>

void CLarkspanDlg::OnPaint() {
    if (isMinimized()) {
        lk::ClientSurface s(*this);
        const QRect c = clientRect();
        const int icon = 32;
        s->drawPixmap((c.width() - icon + 1) / 2, (c.height() - icon + 1) / 2, m_hIcon.pixmap(icon, icon));
    }
    {
        // Right and bottom borders, just outside the preview area. A line
        // leaves out its end point.
        lk::ClientSurface s(*this);
        s->setPen(QPen(Qt::black, 1));
        s->drawLine(m_previewWidth, 0, m_previewWidth, m_previewHeight - 1);
        s->drawLine(m_previewWidth, m_previewHeight, 1, m_previewHeight);
    }
    DrawColorSwatch(g_fontColor);
    if (m_comboFont && m_comboFont->currentIndex() >= 0) g_fontFace = m_comboFont->currentText();
    if (m_comboSize && m_comboSize->currentIndex() >= 0) g_fontSize = decimalToInt(m_comboSize->currentText());
    MeasureNumberText(g_fontFace, g_numberText, g_fontSize);
    if (g_textDirection == 1) {
        m_numberRect.right = m_numberRect.left + m_numberExtent.cy;
        m_numberRect.bottom = m_numberRect.top + m_numberExtent.cx;
    } else {
        m_numberRect.right = m_numberRect.left + m_numberExtent.cx;
        m_numberRect.bottom = m_numberRect.top + m_numberExtent.cy;
    }
    DrawNumberPreview(m_numberRect);
}

int CLarkspanDlg::MeasureNumberText(const QString& face, const QString& text, int size) {
    const QSize extent = lk::textExtent(numberFont(face, size, 0), text);
    m_numberExtent = {extent.width(), extent.height()};
    return m_numberExtent.cy;
}

void CLarkspanDlg::DrawNumberPreview(lk::Rect rect) {
    lk::ClientSurface s(*this);
    QPainter& p = s.painter();
    const QRect area(0, 0, m_previewWidth, m_previewHeight);
    if (!m_image.isNull()) m_image.stretchTo(p, area);
    else p.fillRect(area, Qt::white);

    rect.right = std::min(rect.right, m_previewWidth);
    rect.bottom = std::min(rect.bottom, m_previewHeight);
    const lk::FontDescription font = numberFont(g_fontFace, g_fontSize, g_textDirection);
    if (g_textDirection == 0) {
        p.setClipRect(QRect(rect.left, rect.top, rect.width(), rect.height()));
        drawNumber(p, font, numberReference(0, rect.left, rect.top, m_numberExtent.cy), g_numberText, g_fontColor);
    } else if (g_textDirection == 1) {
        const int x0 = std::min(rect.left + m_numberExtent.cy, m_previewWidth);
        p.setClipRect(QRect(rect.left, rect.top, x0 - rect.left, rect.height()));
        drawNumber(p, font, QPointF(x0, rect.top), g_numberText, g_fontColor);
    }
}

void CLarkspanDlg::DrawColorSwatch(lk::ColorRef color) {
    const int right = clientRect().width();
    lk::ClientSurface s(*this);
    s->fillRect(QRect(right - 200, 110, 40, 25), lk::toQColor(color));
}
