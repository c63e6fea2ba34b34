#pragma once
// The viewer's two plots: every spectrum of each file against wavelength (or
// pixel number) with one of each highlighted, and below it one quantity of
// each file against spectrum number or, as a profile, against depth. Each
// file is a named series in its own colour with a legend entry; series of
// different units go on separate value axes.

#include "viewer/unit_axes.h"
#include "viewer/viewer_overview.h"

#include <QColor>
#include <QString>
#include <QVector>

#include <vector>

class QCPColorScale;
class QCPCurve;
class QCPGraph;
class QCPItemStraightLine;
class QCPRange;
class QCPTextElement;
class QCustomPlot;

// One file's part of the spectra plot.
struct PlottedFile {
    const SpectraOverview* overview;
    QString name; // as the legend shows it
    QColor colour;
};

// What the thinned-out spectra are coloured by.
enum class SpectraColouring { ByFile, ByDepth, ByTime };

// The colour of the i-th file.
QColor fileColour(std::size_t i);

class SpectraPlot {
public:
    explicit SpectraPlot(QCustomPlot* plot);
    // Draws each file's envelope and sampled spectra.
    void show(const std::vector<PlottedFile>& files, SpectraColouring colouring);
    void setTitle(const QString& title);
    // The highlighted spectrum of file i: its values (none when it has no
    // such spectrum) and its legend name.
    void highlight(std::size_t file, const std::vector<float>& values, const QString& name);
    void markX(double x);
    void setLogarithmic(bool on);
    void reset();

private:
    void showColourScale(const QString& label, const QCPRange& range);

    QCustomPlot* plot_;
    UnitAxes axes_;
    QCPTextElement* title_;
    QCPColorScale* colourScale_ = nullptr;
    std::vector<QVector<double>> x_;
    std::vector<QCPGraph*> highlights_;
    QCPItemStraightLine* mark_ = nullptr;
};

// One file's values for the lower plot.
struct SeriesLine {
    QString name; // the file, as the legend shows it
    QColor colour;
    QString quantity; // the axis's name for the values
    QString units;    // empty when unknown
    QVector<double> values;
    QVector<double> depths; // of the same spectra, for the profile
};

class SeriesPlot {
public:
    explicit SeriesPlot(QCustomPlot* plot);
    // The values against spectrum number or, as a profile, against depth
    // increasing downward, with the down-cast (to the deepest spectrum) and
    // the up-cast after it drawn apart.
    void show(const std::vector<SeriesLine>& lines, bool profile);
    void markSpectrum(std::size_t j);
    void setLogarithmic(bool on);
    void reset();
    bool profile() const { return profile_; }

private:
    void showAgainstNumber();
    void showProfile();
    void addCast(const SeriesLine& line, QCPAxis* valueAxis, qsizetype from, qsizetype to, bool down);

    QCustomPlot* plot_;
    UnitAxes byNumber_;
    UnitAxes byDepth_;
    std::vector<SeriesLine> lines_;
    std::vector<QCPCurve*> profileMarks_;
    QCPItemStraightLine* mark_ = nullptr;
    bool profile_ = false;
    bool logarithmic_ = false;
};

// Plot values: NaN, and the infinities an empty envelope starts from, as gaps.
QVector<double> plotValues(const std::vector<float>& values);

// The x values' axis title, and the value axis title with the channel's units.
QString xTitle(const SpectraOverview& overview);
QString valueTitle(const SpectraOverview& overview);
// The channel's name, or "Value" when the file states none.
QString channelName(const SpectraOverview& overview);

// The title of depth in the profile.
inline const char* const DEPTH_TITLE = "Depth"; // the data files never state its unit
