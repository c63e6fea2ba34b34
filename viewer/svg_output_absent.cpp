// SVG export in a build without Qt SVG.

#include "viewer/svg_output.h"

#include <stdexcept>

std::unique_ptr<QPaintDevice> svgOutput(QIODevice&, QSize)
{
    throw std::runtime_error("SVG export is not in this build of Orvantis: export the image as PNG or PDF.");
}
