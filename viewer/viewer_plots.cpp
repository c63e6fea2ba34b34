#include "viewer/viewer_plots.h"

#include <qcustomplot.h>

#include <cmath>

namespace {

const QColor SAMPLE_COLOUR(150, 150, 150, 90);
const QColor ENVELOPE_COLOUR(70, 130, 180, 70);
const QColor HIGHLIGHT_COLOUR(0, 60, 170);
const QColor MARK_COLOUR(200, 30, 30);

QCPItemStraightLine* verticalMark(QCustomPlot* plot)
{
    auto* mark = new QCPItemStraightLine(plot);
    mark->setPen(QPen(MARK_COLOUR, 1, Qt::DashLine));
    mark->setVisible(false);
    return mark;
}

void placeVertical(QCPItemStraightLine* mark, double x)
{
    mark->point1->setCoords(x, 0);
    mark->point2->setCoords(x, 1);
    mark->setVisible(true);
}

void prepare(QCustomPlot* plot)
{
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->setBackground(Qt::white);
    plot->setNoAntialiasingOnDrag(true);
    plot->setPlottingHint(QCP::phFastPolylines, true);
}

} // namespace

QVector<double> plotValues(const std::vector<float>& values)
{
    QVector<double> out(static_cast<qsizetype>(values.size()));
    for (std::size_t k = 0; k < values.size(); ++k)
        out[static_cast<qsizetype>(k)] = std::isfinite(values[k]) ? values[k] : std::nan("");
    return out;
}

QString xTitle(const SpectraOverview& overview)
{
    return overview.calibrated ? QStringLiteral("Wavelength (nm)") : QStringLiteral("Pixel number");
}

QString valueTitle(const SpectraOverview& overview)
{
    const std::string& name = overview.header.channelName;
    const std::string& units = overview.header.channelUnits;
    QString title = name.empty() || name == "?" ? QStringLiteral("Value") : QString::fromStdString(name);
    if (!units.empty() && units != "?")
        title += QStringLiteral(" (%1)").arg(QString::fromStdString(units));
    return title;
}

SpectraPlot::SpectraPlot(QCustomPlot* plot) : plot_(plot)
{
    prepare(plot_);
}

void SpectraPlot::show(const SpectraOverview& o)
{
    plot_->clearGraphs();
    plot_->clearItems();
    x_ = QVector<double>(o.x.begin(), o.x.end());
    const std::size_t drawn = o.records.size() - o.otherPixelSets;
    if (o.samples.size() < drawn) {
        QCPGraph* lower = plot_->addGraph();
        QCPGraph* upper = plot_->addGraph();
        for (QCPGraph* g : {lower, upper})
            g->setPen(QPen(ENVELOPE_COLOUR.darker(150)));
        lower->setData(x_, plotValues(o.lower));
        upper->setData(x_, plotValues(o.upper));
        upper->setChannelFillGraph(lower);
        upper->setBrush(ENVELOPE_COLOUR);
    }
    for (const std::vector<float>& sample : o.samples) {
        QCPGraph* g = plot_->addGraph();
        g->setPen(QPen(SAMPLE_COLOUR));
        g->setData(x_, plotValues(sample));
    }
    highlight_ = plot_->addGraph();
    highlight_->setPen(QPen(HIGHLIGHT_COLOUR, 1.5));
    mark_ = verticalMark(plot_);
    plot_->xAxis->setLabel(xTitle(o));
    plot_->yAxis->setLabel(valueTitle(o));
    reset();
}

void SpectraPlot::highlight(const std::vector<float>& values, const QString& name)
{
    highlight_->setName(name);
    if (values.size() == static_cast<std::size_t>(x_.size()))
        highlight_->setData(x_, plotValues(values));
    else
        highlight_->data()->clear(); // another pixel set: not on these x values
    plot_->replot();
}

void SpectraPlot::markX(double x)
{
    placeVertical(mark_, x);
    plot_->replot();
}

void SpectraPlot::setLogarithmic(bool on)
{
    plot_->yAxis->setScaleType(on ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
    if (on)
        plot_->yAxis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
    else
        plot_->yAxis->setTicker(QSharedPointer<QCPAxisTicker>::create());
    reset();
}

void SpectraPlot::reset()
{
    plot_->rescaleAxes();
    plot_->replot();
}

SeriesPlot::SeriesPlot(QCustomPlot* plot) : plot_(plot), graph_(plot->addGraph()), mark_(verticalMark(plot))
{
    prepare(plot_);
    graph_->setPen(QPen(HIGHLIGHT_COLOUR));
    plot_->xAxis->setLabel(QStringLiteral("Spectrum number"));
}

void SeriesPlot::show(const QVector<double>& values, const QString& valueTitle)
{
    QVector<double> numbers(values.size());
    for (qsizetype j = 0; j < values.size(); ++j)
        numbers[j] = static_cast<double>(j + 1);
    graph_->setData(numbers, values, true);
    plot_->yAxis->setLabel(valueTitle);
    reset();
}

void SeriesPlot::markSpectrum(std::size_t j)
{
    placeVertical(mark_, static_cast<double>(j + 1));
    plot_->replot();
}

void SeriesPlot::reset()
{
    plot_->rescaleAxes();
    plot_->replot();
}
