#pragma once
// Windows placed where the user sees them: a position saved on a screen that
// is gone is moved onto one that is there, and a new window lies wholly
// within a screen's free area.

#include <QPoint>
#include <QRect>
#include <QSize>

// topLeft when a window of that size shows its top edge on some screen;
// else the top left corner of the primary screen's free area.
QPoint visibleTopLeft(QPoint topLeft, QSize size);

// The frame moved, and shrunk where it is larger, to lie within the area.
QRect fittedInto(const QRect& frame, const QRect& area);

// The geometry (without its frame) of a new window of that size: centred on
// the screen under the pointer and, frame included, within its free area.
QRect newWindowGeometry(QSize size);
