#include "about_dlg.h"

#include "dialogs.h"
#include "web_links.h"

#include <QPainter>

const QString g_aboutText = QStringLiteral(
    "Velmora唛头打印助手\r\n"
    "版本：V8.3\r\n"
    "一键打印唛头，箱号自动增加\r\n"
    "网站：www.example.com\r\n"
    "Velmora科技 版权所有");

namespace {
using A = CAboutDlg;
const lk::MessageBinding<A> kAboutMap[] = {
    {lk::msg::kCommand, 1000, lk::notify::kClicked, &A::OnBnClickedWebSite},
    {lk::msg::kCommand, 1001, lk::notify::kClicked, &A::OnBnClickedShop},
    {lk::msg::kEraseBackground, 0, 0, &A::OnEraseBkgnd},
};
}  // namespace

CAboutDlg::CAboutDlg(QWidget* owner) : lk::DialogWindow(res::aboutDialog(), owner) {}

bool CAboutDlg::routeMessage(lk::WindowMessage& m) { return lk::routeMessage<A>(*this, kAboutMap, m); }

bool CAboutDlg::OnEraseBkgnd(QPainter& surface) {
    surface.fillRect(clientRect(), QColor(240, 240, 240));
    return true;
}

void CAboutDlg::OnBnClickedWebSite() { openWebSite(); }

void CAboutDlg::OnBnClickedShop() { openShop(); }
