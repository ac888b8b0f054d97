// The main window's background, the decoration both windows share, and the
// About box and web link buttons of the main window.

#include "about_dlg.h"
#include "decoration.h"
#include "font_description.h"
#include "larkspan_dlg.h"
#include "web_links.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

const QString kLogoResource = QStringLiteral(":/res/logo.bmp");
constexpr int kLogoSize = 64;

// A position that scales with the client area: the integer product divided
// in double precision and truncated toward zero.
int scaled(int length, int numerator, int denominator) {
    return static_cast<int>(static_cast<double>(length * numerator) / denominator);
}

}  // namespace

QFont decorationFont() {
    // Ten points given as 100 tenths: pixels = tenths x dots per inch / 720,
    // truncated, as the character height (the font's em, without leading).
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    QFont font(lk::mapFaceName(QStringLiteral("微软雅黑")));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, 100 * dpi / 720));
    return font;
}

void drawDecorationText(QPainter& p, const QFont& font, QPoint topLeft, const QString& text, QColor color) {
    const QFontMetrics fm(font);
    p.save();
    // The text is drawn opaque on the face colour: its cell is grey, whatever lay there.
    p.fillRect(QRect(topLeft, QSize(fm.horizontalAdvance(text), fm.ascent() + fm.descent())), decorationGrey());
    p.setFont(font);
    p.setPen(color);
    p.drawText(QPoint(topLeft.x(), topLeft.y() + fm.ascent()), text);
    p.restore();
}

QImage loadLogo() { return QImage(kLogoResource); }

void drawLogo(QPainter& p, QPoint topLeft) {
    const QImage logo = loadLogo();
    if (logo.isNull()) return;
    // A plain copy of the 64 by 64 pixels, no scaling and no blending.
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(topLeft, logo, QRect(0, 0, kLogoSize, kLogoSize));
    p.restore();
}

bool CLarkspanDlg::OnEraseBkgnd(QPainter& surface) {
    // Positions follow the whole client area (the surface's device), not the
    // part being erased: the surface is clipped to that part.
    const int w = surface.device()->width();
    const int h = surface.device()->height();
    surface.fillRect(QRect(0, 0, w, h), decorationGrey());

    const QFont font = decorationFont();
    drawDecorationText(surface, font, QPoint(scaled(w, 69, 100), scaled(h, 88, 100)),
                       QStringLiteral("特点：一键打印，箱号自动增加"), Qt::black);
    drawDecorationText(surface, font, QPoint(scaled(w, 73, 100), scaled(h, 37, 45)), QStringLiteral("Velmora科技"),
                       QColor(0, 0, 255));

    drawLogo(surface, QPoint(scaled(w, 72, 100), scaled(h, 33, 45)));
    return true;
}

void CLarkspanDlg::OnBnClickedAbout() {
    CAboutDlg about(this);
    about.runModal();
}

void CLarkspanDlg::OnBnClickedWebSite() { openWebSite(); }
