#pragma once
// Process-wide settings of the carton number, used on the user-interface thread.

#include "color_ref.h"

#include <QString>

extern lk::ColorRef g_fontColor;   // colour of the number
extern QString g_fontFace;         // face of the number in the preview
extern int g_fontSize;             // cell height of the number in the preview, in pixels
extern QString g_numberText;       // the number shown in the preview
extern int g_textDirection;        // 0: upright ("文字竖排"), 1: turned to read downwards ("文字横排")
