// The main window's background and the About box and web link buttons.

#include "about_dlg.h"
#include "larkspan_dlg.h"
#include "web_links.h"

#include <QPainter>

bool CLarkspanDlg::OnEraseBkgnd(QPainter& surface) {
    surface.fillRect(clientRect(), QColor(240, 240, 240));
    return true;
}

void CLarkspanDlg::OnBnClickedAbout() {
    CAboutDlg about(this);
    about.runModal();
}

void CLarkspanDlg::OnBnClickedWebSite() { openWebSite(); }
