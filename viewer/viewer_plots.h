#pragma once
// The viewer's two plots: every spectrum against wavelength (or pixel
// number) with one highlighted, and one quantity against spectrum number.

#include "viewer/viewer_overview.h"

#include <QString>
#include <QVector>

class QCPGraph;
class QCPItemStraightLine;
class QCustomPlot;

class SpectraPlot {
public:
    explicit SpectraPlot(QCustomPlot* plot);
    // Draws the overview's envelope and sampled spectra.
    void show(const SpectraOverview& overview);
    void highlight(const std::vector<float>& values, const QString& name);
    void markX(double x);
    void setLogarithmic(bool on);
    void reset();

private:
    QCustomPlot* plot_;
    QVector<double> x_;
    QCPGraph* highlight_ = nullptr;
    QCPItemStraightLine* mark_ = nullptr;
};

class SeriesPlot {
public:
    explicit SeriesPlot(QCustomPlot* plot);
    void show(const QVector<double>& values, const QString& valueTitle);
    void markSpectrum(std::size_t j);
    void reset();

private:
    QCustomPlot* plot_;
    QCPGraph* graph_;
    QCPItemStraightLine* mark_;
};

// Plot values: NaN, and the infinities an empty envelope starts from, as gaps.
QVector<double> plotValues(const std::vector<float>& values);

// The x values' axis title, and the value axis title with the channel's units.
QString xTitle(const SpectraOverview& overview);
QString valueTitle(const SpectraOverview& overview);
