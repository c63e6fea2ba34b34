#pragma once
// The windows' font. The layouts are made for "MS Sans Serif" at 11 pixels,
// drawn in that font's scalable face on this system; where there is none the
// desktop's sans-serif font takes its place, at the largest size up to 11
// pixels that keeps every caption whole.

#include <QFont>
#include <QList>

class QWidget;

constexpr int DesignFontPixels = 11;

// The layout font at the given pixel height.
QFont layoutFont(int pixelSize = DesignFontPixels);

// The controls below root whose caption does not fit inside them.
QList<const QWidget*> clippedCaptions(const QWidget* root);

// Gives root the largest layout font under which clippedCaptions is empty
// (down to a legible minimum); returns the pixel size chosen.
int fitLayoutFont(QWidget* root);
