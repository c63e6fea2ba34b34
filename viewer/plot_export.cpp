#include "viewer/plot_export.h"

#include "viewer/pending_device.h"
#include "viewer/svg_output.h"

#include <qcustomplot.h>

#include <QFileInfo>
#include <QBuffer>
#include <QImage>
#include <QPdfWriter>

#include <stdexcept>

namespace {

// The first plot takes the upper three fifths, the others share the rest.
// False when the device could not be painted on.
bool paintPlots(const QList<QCustomPlot*>& plots, QPaintDevice& device, QSize size)
{
    QCPPainter painter(&device);
    if (!painter.isActive())
        return false;
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    const int first = plots.size() > 1 ? size.height() * 3 / 5 : size.height();
    const int others = plots.size() > 1 ? (size.height() - first) / static_cast<int>(plots.size() - 1) : 0;
    int top = 0;
    for (qsizetype i = 0; i < plots.size(); ++i) {
        const int height = i == 0 ? first : others;
        painter.save();
        painter.translate(0, top);
        plots[i]->toPainter(&painter, size.width(), height);
        painter.restore();
        top += height;
    }
    return painter.end();
}

// Each writer draws the plots into the device and says whether it could;
// a failed write is the device's to tell, as the SVG and PDF writers keep
// no account of it.
using ImageWriter = bool (*)(const QList<QCustomPlot*>&, QIODevice&, QSize);

// Encoded in memory and then written whole: the PNG encoder, failing a
// write half-way, leaks its buffers and prints its own error.
bool writePng(const QList<QCustomPlot*>& plots, QIODevice& device, QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!paintPlots(plots, image, size) || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    return device.write(encoded) == encoded.size();
}

bool writeSvg(const QList<QCustomPlot*>& plots, QIODevice& device, QSize size)
{
    const std::unique_ptr<QPaintDevice> svg = svgOutput(device, size);
    return paintPlots(plots, *svg, size);
}

bool writePdf(const QList<QCustomPlot*>& plots, QIODevice& device, QSize size)
{
    QPdfWriter pdf(&device);
    pdf.setResolution(72); // one pixel to one point
    pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    return paintPlots(plots, pdf, size);
}

ImageWriter writerFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("png"))
        return writePng;
    if (suffix == QStringLiteral("svg"))
        return writeSvg;
    if (suffix == QStringLiteral("pdf"))
        return writePdf;
    return nullptr;
}

} // namespace

void exportPlots(const QList<QCustomPlot*>& plots, const QString& path, QSize size)
{
    const ImageWriter write = writerFor(path);
    if (!write)
        throw std::runtime_error(
            QStringLiteral("Cannot write \"%1\": the name must end in .png, .svg or .pdf").arg(path).toStdString());
    PendingDevice file(path);
    if (!write(plots, file.device(), size))
        file.fail(QStringLiteral("the image could not be drawn"));
    file.commit();
}
