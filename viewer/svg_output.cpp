#include "viewer/svg_output.h"

#include <QSvgGenerator>

std::unique_ptr<QPaintDevice> svgOutput(QIODevice& device, QSize size)
{
    auto svg = std::make_unique<QSvgGenerator>();
    svg->setOutputDevice(&device);
    svg->setSize(size);
    svg->setViewBox(QRect(QPoint(0, 0), size));
    return svg;
}
