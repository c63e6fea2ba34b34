#include "viewer/frm_viewer.h"

#include "viewer/plot_export.h"
#include "viewer/viewer_plots.h"

#include <qcustomplot.h>

#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// A press and release this close together are a click, not a drag.
constexpr double CLICK_DISTANCE = 4;

const QStringList seriesNames = {
    QStringLiteral("Value at the chosen wavelength"),
    QStringLiteral("Time"),
    QStringLiteral("Integration time"),
    QStringLiteral("Temperature"),
    QStringLiteral("Depth"),
    QStringLiteral("Volts"),
    QStringLiteral("Dark value Do"),
    QStringLiteral("Dark value Dt"),
};

double fieldOf(const SpectrumRecord& r, TFrmViewer::Series series)
{
    switch (series) {
    case TFrmViewer::Time: return r.time;
    case TFrmViewer::IntegrationTime: return r.intTime;
    case TFrmViewer::Temperature: return r.temp;
    case TFrmViewer::Depth: return r.depth;
    case TFrmViewer::Volts: return r.volts;
    case TFrmViewer::DarkDo: return r.Do;
    default: return r.Dt;
    }
}

} // namespace

TFrmViewer::TFrmViewer(ViewerHost& host, QWidget* parent) : QMainWindow(parent), host_(host)
{
    setWindowTitle(QStringLiteral("Orvantis Spectra"));
    resize(900, 700);
    setAttribute(Qt::WA_QuitOnClose, false);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    info_ = new QLabel(QStringLiteral("No file open. Open an output file with File > Open."), central);
    info_->setWordWrap(true);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    spectraView_ = new QCustomPlot(central);
    seriesView_ = new QCustomPlot(central);
    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->addWidget(spectraView_);
    splitter->addWidget(seriesView_);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    slider_ = new QSlider(Qt::Horizontal, central);
    slider_->setEnabled(false);
    position_ = new QLabel(central);
    seriesChoice_ = new QComboBox(central);
    seriesChoice_->addItems(seriesNames);
    auto* stepRow = new QHBoxLayout();
    stepRow->addWidget(new QLabel(QStringLiteral("Spectrum:"), central));
    stepRow->addWidget(slider_, 1);
    stepRow->addWidget(position_);
    stepRow->addWidget(new QLabel(QStringLiteral("Below:"), central));
    stepRow->addWidget(seriesChoice_);
    layout->addWidget(info_);
    layout->addWidget(splitter, 1);
    layout->addLayout(stepRow);
    setCentralWidget(central);

    spectraPlot_ = std::make_unique<SpectraPlot>(spectraView_);
    seriesPlot_ = std::make_unique<SeriesPlot>(seriesView_);
    createMenus();

    connect(slider_, &QSlider::valueChanged, this,
            guarded([this] { setCurrentSpectrum(static_cast<std::size_t>(slider_->value())); }));
    connect(seriesChoice_, &QComboBox::currentIndexChanged, this, guarded([this] { showSeries(); }));
    for (QCustomPlot* view : {spectraView_, seriesView_}) {
        connect(view, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) { pressedAt_ = e->position(); });
        connect(view, &QCustomPlot::mouseRelease, this,
                [this, view](QMouseEvent* e) { host_.runGuarded([&] { clickedAt(view, e->position()); }); });
    }
}

TFrmViewer::~TFrmViewer() = default;

void TFrmViewer::createMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = file->addAction(QStringLiteral("&Open..."));
    open->setShortcut(QKeySequence::Open);
    QAction* save = file->addAction(QStringLiteral("&Export Image..."));
    save->setShortcut(QKeySequence::Save);
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("&Close"));
    close->setShortcut(QKeySequence::Close);
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    logarithmic_ = view->addAction(QStringLiteral("&Logarithmic Values"));
    logarithmic_->setCheckable(true);
    QAction* reset = view->addAction(QStringLiteral("&Reset Zoom"));
    reset->setShortcut(Qt::Key_R);
    connect(open, &QAction::triggered, this, guarded([this] { openClicked(); }));
    connect(save, &QAction::triggered, this, guarded([this] { exportClicked(); }));
    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(logarithmic_, &QAction::toggled, this, guarded([this] { setLogarithmic(logarithmic_->isChecked()); }));
    connect(reset, &QAction::triggered, this, guarded([this] { resetView(); }));
}

void TFrmViewer::loadFile(const QString& path)
{
    auto overview = std::make_unique<SpectraOverview>(readOverview(path.toStdString(), DRAWN_SPECTRA));
    auto fetcher = std::make_unique<SpectrumFetcher>(*overview);
    overview_ = std::move(overview);
    fetcher_ = std::move(fetcher);
    setWindowTitle(QStringLiteral("Orvantis Spectra - %1").arg(QFileInfo(path).fileName()));
    info_->setText(describeFile());
    spectraPlot_->show(*overview_);
    current_ = 0;
    chosen_ = overview_->columnIndex;
    if (!overview_->x.empty())
        spectraPlot_->markX(overview_->x[chosen_]);
    const QSignalBlocker quiet(slider_);
    slider_->setRange(0, static_cast<int>(overview_->records.size() - 1));
    slider_->setValue(0);
    slider_->setEnabled(true);
    slider_->setFocus();
    setCurrentSpectrum(0);
    showSeries();
}

QString TFrmViewer::describeFile() const
{
    const SpectraOverview& o = *overview_;
    const OutputHeader& h = o.header;
    QString text = QStringLiteral("%1: %2 spectra").arg(QString::fromStdString(o.path)).arg(o.records.size());
    if (o.layout == OutputLayout::Binary)
        text += QStringLiteral(" (binary output: no header lines)");
    else
        text += QStringLiteral("\nSerial %1, channel %2 (%3), source file %4, calibration file %5")
                    .arg(QString::fromStdString(h.serial), QString::fromStdString(h.channelName),
                         QString::fromStdString(h.channelUnits), QString::fromStdString(h.sourceFile),
                         QString::fromStdString(h.calibrationFile));
    if (o.otherPixelSets > 0)
        text += QStringLiteral("\n%1 spectra have another pixel set than the first and are not drawn.")
                    .arg(o.otherPixelSets);
    return text;
}

void TFrmViewer::setCurrentSpectrum(std::size_t j)
{
    if (!overview_ || j >= overview_->records.size())
        return;
    current_ = j;
    if (slider_->value() != static_cast<int>(j)) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(static_cast<int>(j));
    }
    const SpectrumRecord& r = overview_->records[j];
    const QString name = QStringLiteral("%1 / %2, time %3").arg(j + 1).arg(overview_->records.size()).arg(r.time);
    position_->setText(drawable(*overview_, j) ? name : name + QStringLiteral(" (another pixel set)"));
    spectraPlot_->highlight(fetcher_->spectrum(j), name);
    seriesPlot_->markSpectrum(j);
}

void TFrmViewer::chooseX(double x)
{
    if (!overview_ || overview_->x.empty())
        return;
    const std::vector<double>& xs = overview_->x;
    const auto nearest =
        std::min_element(xs.begin(), xs.end(), [x](double a, double b) { return std::abs(a - x) < std::abs(b - x); });
    chosen_ = static_cast<std::size_t>(nearest - xs.begin());
    spectraPlot_->markX(*nearest);
    if (seriesChoice_->currentIndex() == ValueAtWavelength)
        showSeries();
    else
        seriesChoice_->setCurrentIndex(ValueAtWavelength);
}

void TFrmViewer::setSeries(Series series)
{
    seriesChoice_->setCurrentIndex(series);
}

void TFrmViewer::showSeries()
{
    if (!overview_)
        return;
    const auto series = static_cast<Series>(seriesChoice_->currentIndex());
    QVector<double> values;
    QString title;
    if (series == ValueAtWavelength) {
        const std::vector<double> column =
            chosen_ == overview_->columnIndex ? overview_->column : fetcher_->column(chosen_);
        values = QVector<double>(column.begin(), column.end());
        title = QStringLiteral("%1 at %2 %3")
                    .arg(valueTitle(*overview_))
                    .arg(overview_->x[chosen_], 0, 'f', 1)
                    .arg(overview_->calibrated ? QStringLiteral("nm") : QStringLiteral("(pixel)"));
    } else {
        for (const SpectrumRecord& r : overview_->records)
            values.push_back(fieldOf(r, series));
        title = seriesNames[series];
    }
    seriesPlot_->show(values, title);
    seriesPlot_->markSpectrum(current_);
}

void TFrmViewer::setLogarithmic(bool on)
{
    if (logarithmic_->isChecked() != on)
        logarithmic_->setChecked(on); // comes back here through toggled
    else
        spectraPlot_->setLogarithmic(on);
}

void TFrmViewer::resetView()
{
    spectraPlot_->reset();
    seriesPlot_->reset();
}

void TFrmViewer::exportImage(const QString& path, QSize size)
{
    exportPlots({spectraView_, seriesView_}, path, size);
}

void TFrmViewer::keyPressEvent(QKeyEvent* event)
{
    if (overview_ && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const std::size_t last = overview_->records.size() - 1;
        if (event->key() == Qt::Key_Left && current_ > 0)
            setCurrentSpectrum(current_ - 1);
        else if (event->key() == Qt::Key_Right && current_ < last)
            setCurrentSpectrum(current_ + 1);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TFrmViewer::clickedAt(QCustomPlot* view, QPointF at)
{
    if (!overview_ || (at - pressedAt_).manhattanLength() > CLICK_DISTANCE)
        return;
    const double x = view->xAxis->pixelToCoord(at.x());
    if (view == spectraView_)
        chooseX(x);
    else
        setCurrentSpectrum(static_cast<std::size_t>(
            std::clamp(std::lround(x) - 1, 0L, static_cast<long>(overview_->records.size() - 1))));
}

void TFrmViewer::openClicked()
{
    const QString path = host_.chooseFile(
        this, QStringLiteral("Open Output File"),
        QStringLiteral("Orvantis output (*.DAT *.RAW *.BDT *.BRW *.nc *.dat *.raw *.bdt *.brw *.NC);;All files (*)"));
    if (!path.isEmpty())
        openOrTell(path);
}

void TFrmViewer::openOrTell(const QString& path)
{
    try {
        loadFile(path);
    } catch (const OutputReadError& error) {
        host_.error(this, QString::fromStdString(error.what()), windowTitle());
    }
}

void TFrmViewer::exportClicked()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export Image"), QString(),
                                                      QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF "
                                                                     "document (*.pdf)"));
    if (path.isEmpty())
        return;
    exportImage(path, spectraView_->size() + QSize(0, seriesView_->height()));
}
