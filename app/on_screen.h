#pragma once
// A window position saved on a screen that is gone is moved onto one that is
// there.

#include <QPoint>
#include <QSize>

// topLeft when a window of that size shows its top edge on some screen;
// else the top left corner of the primary screen's free area.
QPoint visibleTopLeft(QPoint topLeft, QSize size);
