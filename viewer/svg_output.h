#pragma once
// The SVG drawing that an export paints into. A build without Qt SVG (the
// Windows build) has none and says so.

#include <QPaintDevice>
#include <QSize>

#include <memory>

class QIODevice;

// A paint device that writes an SVG drawing of the given size to the
// device when painting ends; throws std::runtime_error when this build
// cannot write SVG.
std::unique_ptr<QPaintDevice> svgOutput(QIODevice& device, QSize size);
