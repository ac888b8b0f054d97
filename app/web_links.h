#pragma once
// The maker's web site and online shop, opened in the default browser.
// Failures are silent.

void openWebSite();
void openShop();
