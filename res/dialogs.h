#pragma once
// The program's dialog templates and string resources.

#include "dialog_template.h"

namespace res {

constexpr int kAboutDialog = 100;
constexpr int kMainDialog = 102;
constexpr int kAppIcon = 131;
constexpr int kLogoBitmap = 134;

const lk::DialogTemplate& mainDialog();
const lk::DialogTemplate& aboutDialog();

// String 101: the About entry of the window menu.
const char* aboutMenuText();

}  // namespace res
