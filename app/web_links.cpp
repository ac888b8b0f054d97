#include "web_links.h"

#include <QDesktopServices>
#include <QUrl>

// The maker's pages live under the reserved example domain. The desktop
// opens them in the default browser without waiting; whether that worked is
// not reported to anyone.
void openWebSite() { QDesktopServices::openUrl(QUrl(QStringLiteral("https://www.example.com/larkspan"))); }

void openShop() { QDesktopServices::openUrl(QUrl(QStringLiteral("https://shop.example.com/velmora"))); }
