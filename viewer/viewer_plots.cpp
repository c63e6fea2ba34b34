#include "viewer/viewer_plots.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace {

const QColor MARK_COLOUR(200, 30, 30);
// Thinned-out spectra and envelopes are the file's colour, faint.
constexpr int SAMPLE_ALPHA = 70;
constexpr int ENVELOPE_ALPHA = 45;

const QColor FILE_COLOURS[] = {QColor(0, 60, 170),  QColor(200, 90, 0),  QColor(0, 130, 60),
                               QColor(140, 0, 140), QColor(0, 140, 160), QColor(120, 80, 20)};

QColor faint(QColor colour, int alpha)
{
    colour.setAlpha(alpha);
    return colour;
}

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
    plot->legend->setVisible(true);
    plot->legend->setBrush(QColor(255, 255, 255, 200));
    QFont small = plot->legend->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    plot->legend->setFont(small);
}

// Both scales linear again: an axis may have carried another quantity.
void linearAxes(QCPAxisRect* rect)
{
    for (QCPAxis* axis : rect->axes()) {
        axis->setScaleType(QCPAxis::stLinear);
        axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
        axis->setRangeReversed(false);
    }
}

double recordField(const SpectrumRecord& r, SpectraColouring colouring)
{
    return colouring == SpectraColouring::ByDepth ? static_cast<double>(r.depth) : static_cast<double>(r.time);
}

QCPRange fieldRange(const SpectraOverview& o, SpectraColouring colouring)
{
    QCPRange range(recordField(o.records.front(), colouring), recordField(o.records.front(), colouring));
    for (const SpectrumRecord& r : o.records)
        range.expand(recordField(r, colouring));
    return range;
}

QCPColorGradient colouringGradient()
{
    return QCPColorGradient(QCPColorGradient::gpJet);
}

} // namespace

QColor fileColour(std::size_t i)
{
    return FILE_COLOURS[i % std::size(FILE_COLOURS)];
}

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

QString channelName(const SpectraOverview& overview)
{
    const std::string& name = overview.header.channelName;
    return name.empty() || name == "?" ? QStringLiteral("Value") : QString::fromStdString(name);
}

QString valueTitle(const SpectraOverview& overview)
{
    const QString units = knownUnits(overview.header.channelUnits);
    return units.isEmpty() ? channelName(overview) : QStringLiteral("%1 (%2)").arg(channelName(overview), units);
}

SpectraPlot::SpectraPlot(QCustomPlot* plot)
    : plot_(plot), axes_(plot->axisRect(), true), title_(new QCPTextElement(plot_, QString()))
{
    prepare(plot_);
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(0, 0, title_);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    plot_->legend->setVisible(false); // until a file is shown
}

void SpectraPlot::show(const std::vector<PlottedFile>& files, SpectraColouring colouring)
{
    plot_->clearPlottables();
    plot_->clearItems();
    linearAxes(plot_->axisRect());
    axes_.clear();
    x_.clear();
    highlights_.clear();
    QCPRange colourRange;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const SpectraOverview& o = *files[i].overview;
        QCPAxis* valueAxis = axes_.axisFor(channelName(o), knownUnits(o.header.channelUnits));
        const QVector<double>& x = x_.emplace_back(o.x.begin(), o.x.end());
        if (o.samples.size() < o.records.size() - o.otherPixelSets) {
            QCPGraph* lower = plot_->addGraph(plot_->xAxis, valueAxis);
            QCPGraph* upper = plot_->addGraph(plot_->xAxis, valueAxis);
            for (QCPGraph* g : {lower, upper}) {
                g->setPen(QPen(faint(files[i].colour, 110)));
                g->removeFromLegend();
            }
            lower->setData(x, plotValues(o.lower));
            upper->setData(x, plotValues(o.upper));
            upper->setChannelFillGraph(lower);
            upper->setBrush(faint(files[i].colour, ENVELOPE_ALPHA));
        }
        const QCPRange range = fieldRange(o, colouring);
        colourRange =
            i == 0 ? range
                   : QCPRange(std::min(colourRange.lower, range.lower), std::max(colourRange.upper, range.upper));
        for (std::size_t s = 0; s < o.samples.size(); ++s) {
            QCPGraph* g = plot_->addGraph(plot_->xAxis, valueAxis);
            const QColor byField =
                colouringGradient().color(recordField(o.records[o.sampleIndex[s]], colouring), range);
            g->setPen(QPen(colouring == SpectraColouring::ByFile ? faint(files[i].colour, SAMPLE_ALPHA)
                                                                 : faint(byField, 140)));
            g->setData(x, plotValues(o.samples[s]));
            g->removeFromLegend();
        }
        QCPGraph* highlight = plot_->addGraph(plot_->xAxis, valueAxis);
        highlight->setPen(QPen(files[i].colour.darker(120), 1.8));
        highlights_.push_back(highlight);
    }
    if (colouring == SpectraColouring::ByFile || files.empty())
        showColourScale({}, {});
    else
        showColourScale(colouring == SpectraColouring::ByDepth ? QString::fromLatin1(DEPTH_TITLE)
                                                               : QStringLiteral("Time"),
                        colourRange);
    mark_ = verticalMark(plot_);
    plot_->xAxis->setLabel(files.empty() ? QString() : xTitle(*files.front().overview));
    plot_->legend->setVisible(!files.empty());
    axes_.setLogarithmic(axes_.logarithmic());
    reset();
}

// A scale beside the plot for spectra coloured by a field; none for an
// empty label.
void SpectraPlot::showColourScale(const QString& label, const QCPRange& range)
{
    if (colourScale_) {
        plot_->plotLayout()->remove(colourScale_);
        plot_->plotLayout()->simplify();
        colourScale_ = nullptr;
    }
    if (label.isEmpty())
        return;
    colourScale_ = new QCPColorScale(plot_);
    plot_->plotLayout()->addElement(1, 1, colourScale_);
    colourScale_->setGradient(colouringGradient());
    colourScale_->setDataRange(range);
    colourScale_->setLabel(label);
}

void SpectraPlot::setTitle(const QString& title)
{
    title_->setText(title);
}

void SpectraPlot::highlight(std::size_t file, const std::vector<float>& values, const QString& name)
{
    QCPGraph* graph = highlights_.at(file);
    graph->setName(name);
    if (values.size() == static_cast<std::size_t>(x_[file].size()))
        graph->setData(x_[file], plotValues(values));
    else
        graph->data()->clear(); // none, or another pixel set: not on these x values
    plot_->replot();
}

void SpectraPlot::markX(double x)
{
    placeVertical(mark_, x);
    plot_->replot();
}

void SpectraPlot::setLogarithmic(bool on)
{
    axes_.setLogarithmic(on);
    reset();
}

void SpectraPlot::reset()
{
    plot_->rescaleAxes();
    plot_->replot();
}

SeriesPlot::SeriesPlot(QCustomPlot* plot)
    : plot_(plot), byNumber_(plot->axisRect(), true), byDepth_(plot->axisRect(), false)
{
    prepare(plot_);
}

void SeriesPlot::show(const std::vector<SeriesLine>& lines, bool profile)
{
    lines_ = lines;
    profile_ = profile;
    plot_->clearPlottables();
    plot_->clearItems();
    profileMarks_.clear();
    linearAxes(plot_->axisRect());
    byNumber_.clear();
    byDepth_.clear();
    if (profile)
        showProfile();
    else
        showAgainstNumber();
    // Light falls off with depth: a profile's curves leave its lower right
    // corner free, and spectrum-numbered series mostly its upper right.
    plot_->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignRight | (profile ? Qt::AlignBottom : Qt::AlignTop));
    (profile ? byDepth_ : byNumber_).setLogarithmic(logarithmic_);
    reset();
}

void SeriesPlot::showAgainstNumber()
{
    for (const SeriesLine& line : lines_) {
        QVector<double> numbers(line.values.size());
        for (qsizetype j = 0; j < numbers.size(); ++j)
            numbers[j] = static_cast<double>(j + 1);
        QCPGraph* graph = plot_->addGraph(plot_->xAxis, byNumber_.axisFor(line.quantity, line.units));
        graph->setPen(QPen(line.colour));
        graph->setName(line.name);
        graph->setData(numbers, line.values, true);
    }
    plot_->xAxis->setLabel(QStringLiteral("Spectrum number"));
    mark_ = verticalMark(plot_);
}

void SeriesPlot::showProfile()
{
    plot_->yAxis->setLabel(QString::fromLatin1(DEPTH_TITLE));
    plot_->yAxis->setRangeReversed(true); // deeper is lower
    for (const SeriesLine& line : lines_) {
        QCPAxis* valueAxis = byDepth_.axisFor(line.quantity, line.units);
        const auto deepest = std::max_element(line.depths.begin(), line.depths.end(),
                                              [](double a, double b) { return std::isnan(a) || a < b; });
        const qsizetype turn = line.depths.isEmpty() ? 0 : deepest - line.depths.begin();
        addCast(line, valueAxis, 0, turn + 1, true);
        if (turn + 1 < line.values.size())
            addCast(line, valueAxis, turn, line.values.size(), false);
        auto* mark = new QCPCurve(valueAxis, plot_->yAxis);
        mark->setLineStyle(QCPCurve::lsNone);
        mark->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, MARK_COLOUR, 8));
        mark->removeFromLegend();
        profileMarks_.push_back(mark);
    }
    mark_ = nullptr;
}

// Spectra [from, to) as one cast: the down-cast in the file's colour, the
// up-cast lighter and dashed.
void SeriesPlot::addCast(const SeriesLine& line, QCPAxis* valueAxis, qsizetype from, qsizetype to, bool down)
{
    auto* curve = new QCPCurve(valueAxis, plot_->yAxis);
    QVector<double> order;
    for (qsizetype j = from; j < to; ++j)
        order << static_cast<double>(j);
    curve->setData(order, line.values.mid(from, to - from), line.depths.mid(from, to - from));
    curve->setPen(down ? QPen(line.colour, 1.5) : QPen(line.colour.lighter(150), 1.5, Qt::DashLine));
    curve->setName(line.name + (down ? QStringLiteral(" down-cast") : QStringLiteral(" up-cast")));
}

void SeriesPlot::markSpectrum(std::size_t j)
{
    if (mark_)
        placeVertical(mark_, static_cast<double>(j + 1));
    for (std::size_t i = 0; i < profileMarks_.size(); ++i) {
        const SeriesLine& line = lines_[i];
        const auto at = static_cast<qsizetype>(j);
        profileMarks_[i]->data()->clear();
        if (at < line.values.size())
            profileMarks_[i]->addData(0, line.values[at], line.depths[at]);
    }
    plot_->replot();
}

void SeriesPlot::setLogarithmic(bool on)
{
    logarithmic_ = on;
    (profile_ ? byDepth_ : byNumber_).setLogarithmic(on);
    reset();
}

void SeriesPlot::reset()
{
    plot_->rescaleAxes();
    plot_->replot();
}
