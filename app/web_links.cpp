#include "web_links.h"

#include <QDesktopServices>
#include <QUrl>

void openWebSite() { QDesktopServices::openUrl(QUrl(QStringLiteral("https://www.example.com/larkspan"))); }

void openShop() { QDesktopServices::openUrl(QUrl(QStringLiteral("https://shop.example.com/velmora"))); }
