#pragma once
// The About box: the product's name, version and maker, and links to the
// maker's web site and shop. It opens with no button focused, so Enter closes
// it (the hidden "关闭" is its default button) as Esc and the close button do.

#include "dialog_window.h"
#include "message_map.h"

class CAboutDlg : public lk::DialogWindow {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* owner);

    bool OnEraseBkgnd(QPainter& surface);
    void OnBnClickedWebSite();
    void OnBnClickedShop();

protected:
    bool onInitDialog() override;
    bool routeMessage(lk::WindowMessage& m) override;
};

// The About text: lines separated by CR LF, set before the main window exists.
extern QString g_aboutText;
