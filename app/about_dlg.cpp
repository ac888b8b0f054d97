#include "about_dlg.h"

#include "decoration.h"
#include "dialogs.h"
#include "web_links.h"

#include <QFontMetrics>
#include <QPainter>

QString g_aboutText = QStringLiteral(
    "Velmora唛头打印助手\r\n"
    "版本：V8.3\r\n"
    "一键打印唛头，箱号自动增加\r\n"
    "官网：www.example.com\r\n"
    "邮箱：support@example.com\r\n"
    "Velmora科技 版权所有");

namespace {
using A = CAboutDlg;
const lk::MessageBinding<A> kAboutMap[] = {
    {lk::msg::kCommand, 1000, lk::notify::kClicked, &A::OnBnClickedWebSite},
    {lk::msg::kCommand, 1001, lk::notify::kClicked, &A::OnBnClickedShop},
    {lk::msg::kEraseBackground, 0, 0, &A::OnEraseBkgnd},
};

// The About text's box, in client pixels (right and bottom exclusive).
const QRect kTextBox(QPoint(130, 20), QPoint(350 - 1, 220 - 1));
}  // namespace

CAboutDlg::CAboutDlg(QWidget* owner) : lk::DialogWindow(res::aboutDialog(), owner) {}

bool CAboutDlg::routeMessage(lk::WindowMessage& m) { return lk::routeMessage<A>(*this, kAboutMap, m); }

bool CAboutDlg::onInitDialog() {
    // The window itself takes the first focus instead of the first visible
    // button, so an Enter right away reaches the default command and closes
    // the box; a button reached with Tab still takes Enter as its click.
    setFocusPolicy(Qt::ClickFocus);
    setFocus();
    return true;
}

bool CAboutDlg::OnEraseBkgnd(QPainter& surface) {
    const int w = surface.device()->width();
    const int h = surface.device()->height();
    surface.fillRect(QRect(0, 0, w, h), decorationGrey());

    const QFont font = decorationFont();
    drawDecorationText(surface, font, QPoint(35, 105), QStringLiteral("Velmora科技"), Qt::black);

    // The text's lines break at its CR LF separators only (no wrapping), left
    // and top aligned, one line per cell height, clipped to the box.
    const QFontMetrics fm(font);
    const int lineHeight = fm.ascent() + fm.descent();
    surface.save();
    surface.setClipRect(kTextBox, surface.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    int top = kTextBox.top();
    for (const QString& line : g_aboutText.split(QStringLiteral("\r\n"))) {
        if (top > kTextBox.bottom()) break;
        drawDecorationText(surface, font, QPoint(kTextBox.left(), top), line, Qt::black);
        top += lineHeight;
    }
    surface.restore();

    drawLogo(surface, QPoint(30, 40));
    return true;
}

void CAboutDlg::OnBnClickedWebSite() { openWebSite(); }

void CAboutDlg::OnBnClickedShop() { openShop(); }
