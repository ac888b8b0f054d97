#pragma once
// The About box: the product's name, version and maker, and links to the
// maker's web site and shop.

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
    bool routeMessage(lk::WindowMessage& m) override;
};

// The About text: lines separated by CR LF.
extern const QString g_aboutText;
