#pragma once
// What the main window's background and the About box draw alike: the grey
// face, the decoration font and the logo.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

class QPainter;

// The face colour of both windows.
inline QColor decorationGrey() { return QColor(240, 240, 240); }

// "微软雅黑" at 10 points, in pixels for the screen (mapped to an installed
// Chinese face when that one is not installed).
QFont decorationFont();

// Draws the text with the top-left corner of its line at the point, on the
// grey face (the line's cell is filled grey first).
void drawDecorationText(QPainter& p, const QFont& font, QPoint topLeft, const QString& text, QColor color);

// The maker's logo, 64 by 64 pixels; a null image when the resource is missing.
QImage loadLogo();
// Copies the logo at its own size with its top-left corner at the point;
// a missing logo draws nothing.
void drawLogo(QPainter& p, QPoint topLeft);
