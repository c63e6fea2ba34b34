#include "app/plot_export.h"

#include <qcustomplot.h>

#include <QFileInfo>
#include <QImage>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <stdexcept>

namespace {

// The first plot takes the upper three fifths, the others share the rest.
void paintPlots(const QList<QCustomPlot*>& plots, QPaintDevice& device, QSize size)
{
    QCPPainter painter(&device);
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
}

[[noreturn]] void fail(const QString& path, const QString& why)
{
    throw std::runtime_error(QStringLiteral("Cannot write \"%1\": %2").arg(path, why).toStdString());
}

} // namespace

void exportPlots(const QList<QCustomPlot*>& plots, const QString& path, QSize size)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("png")) {
        QImage image(size, QImage::Format_ARGB32);
        paintPlots(plots, image, size);
        if (!image.save(path, "PNG"))
            fail(path, QStringLiteral("the image could not be saved"));
    } else if (suffix == QStringLiteral("svg")) {
        QSvgGenerator svg;
        svg.setFileName(path);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        paintPlots(plots, svg, size);
        if (!QFileInfo(path).isFile())
            fail(path, QStringLiteral("the file could not be created"));
    } else if (suffix == QStringLiteral("pdf")) {
        QPdfWriter pdf(path);
        pdf.setResolution(72); // one pixel to one point
        pdf.setPageSize(QPageSize(QSizeF(size), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        paintPlots(plots, pdf, size);
        if (!QFileInfo(path).isFile())
            fail(path, QStringLiteral("the file could not be created"));
    } else {
        fail(path, QStringLiteral("the name must end in .png, .svg or .pdf"));
    }
}
