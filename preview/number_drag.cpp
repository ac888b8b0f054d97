// Dragging the number rectangle with the left mouse button.

#include "larkspan_dlg.h"
#include "settings.h"

void CLarkspanDlg::OnLButtonDown(unsigned, QPoint point) {
    if (!m_numberRect.contains(point.x(), point.y())) return;
    m_dragOffsetX = point.x() - m_numberRect.left;
    m_dragOffsetY = point.y() - m_numberRect.top;
    m_dragging = true;
    captureMouse();
}

void CLarkspanDlg::OnMouseMove(unsigned, QPoint point) {
    if (!m_dragging) return;
    const int w = g_textDirection == 1 ? m_numberExtent.cy : m_numberExtent.cx;
    const int h = g_textDirection == 1 ? m_numberExtent.cx : m_numberExtent.cy;
    const int newLeft = point.x() - m_dragOffsetX;
    const int newTop = point.y() - m_dragOffsetY;
    m_numberRect = {newLeft, newTop, newLeft + w, newTop + h};
    if (newLeft <= 0) {
        m_numberRect.left = 0;
        m_numberRect.right = w;
    } else if (newLeft >= m_previewWidth - w) {
        m_numberRect.left = m_previewWidth - w;
        m_numberRect.right = m_previewWidth;
    }
    if (newTop <= 0) {
        m_numberRect.top = 0;
        m_numberRect.bottom = h;
    } else if (newTop >= m_previewHeight - h) {
        m_numberRect.top = m_previewHeight - h;
        m_numberRect.bottom = m_previewHeight;
    }
    DrawNumberPreview(m_numberRect);
}

void CLarkspanDlg::OnLButtonUp(unsigned, QPoint) {
    if (!m_dragging) return;
    m_dragging = false;
    releaseMouseCapture();
}
