#include "viewer/frm_viewer.h"

#include "viewer/plot_export.h"

#include <qcustomplot.h>

#include <QActionGroup>
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

const QString OUTPUT_FILTER =
    QStringLiteral("Orvantis output or data file (*.DAT *.RAW *.BDT *.BRW *.nc *.ASC *.BIN *.dat *.raw *.bdt *.brw "
                   "*.NC *.asc *.bin);;All files (*)");

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

// The units of a per-spectrum field, where the field has any.
QString fieldUnits(TFrmViewer::Series series)
{
    return series == TFrmViewer::Depth ? QStringLiteral("m") : QString();
}

std::size_t nearestIndex(const std::vector<double>& xs, double x)
{
    const auto nearest =
        std::min_element(xs.begin(), xs.end(), [x](double a, double b) { return std::abs(a - x) < std::abs(b - x); });
    return static_cast<std::size_t>(nearest - xs.begin());
}

} // namespace

TFrmViewer::TFrmViewer(ViewerHost& host, QWidget* parent) : QMainWindow(parent), host_(host)
{
    setWindowTitle(QStringLiteral("Orvantis Spectra"));
    setGeometry(host_.newWindowGeometry(QSize(900, 840)));
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
    // From the start too, not only when resized: the lower plot needs the
    // height for its axis titles.
    splitter->setSizes({3000, 2000});
    slider_ = new QSlider(Qt::Horizontal, central);
    slider_->setEnabled(false);
    position_ = new QLabel(central);
    seriesChoice_ = new QComboBox(central);
    seriesChoice_->addItems(seriesNames);
    againstChoice_ = new QComboBox(central);
    againstChoice_->addItems({QStringLiteral("against spectrum number"), QStringLiteral("against depth (profile)")});
    auto* stepRow = new QHBoxLayout();
    stepRow->addWidget(new QLabel(QStringLiteral("Spectrum:"), central));
    stepRow->addWidget(slider_, 1);
    stepRow->addWidget(position_);
    stepRow->addWidget(new QLabel(QStringLiteral("Below:"), central));
    stepRow->addWidget(seriesChoice_);
    stepRow->addWidget(againstChoice_);
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
    connect(againstChoice_, &QComboBox::currentIndexChanged, this, guarded([this] { showSeries(); }));
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
    QAction* add = file->addAction(QStringLiteral("&Add..."));
    add->setShortcut(Qt::CTRL | Qt::Key_D);
    QAction* save = file->addAction(QStringLiteral("&Export Image..."));
    save->setShortcut(QKeySequence::Save);
    file->addSeparator();
    QAction* close = file->addAction(QStringLiteral("&Close"));
    close->setShortcut(QKeySequence::Close);
    connect(open, &QAction::triggered, this, guarded([this] { openClicked(false); }));
    connect(add, &QAction::triggered, this, guarded([this] { openClicked(true); }));
    connect(save, &QAction::triggered, this, guarded([this] { exportClicked(); }));
    connect(close, &QAction::triggered, this, &QWidget::close);
    createViewMenu();
}

void TFrmViewer::createViewMenu()
{
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    logarithmic_ = view->addAction(QStringLiteral("&Logarithmic Values"));
    logarithmic_->setCheckable(true);
    QAction* reset = view->addAction(QStringLiteral("&Reset Zoom"));
    reset->setShortcut(Qt::Key_R);
    connect(logarithmic_, &QAction::toggled, this, guarded([this] { setLogarithmic(logarithmic_->isChecked()); }));
    connect(reset, &QAction::triggered, this, guarded([this] { resetView(); }));
    QMenu* colourBy = view->addMenu(QStringLiteral("&Colour Spectra By"));
    auto* group = new QActionGroup(colourBy);
    const std::pair<const char*, SpectraColouring> choices[] = {{"&File", SpectraColouring::ByFile},
                                                                {"&Depth", SpectraColouring::ByDepth},
                                                                {"&Time", SpectraColouring::ByTime}};
    for (const auto& [name, colouring] : choices) {
        QAction* choice = colourBy->addAction(QString::fromLatin1(name));
        choice->setCheckable(true);
        choice->setChecked(colouring == colouring_);
        group->addAction(choice);
        connect(choice, &QAction::triggered, this, guarded([this, c = colouring] { setColouring(c); }));
    }
}

std::unique_ptr<ViewedFile> TFrmViewer::readFile(const QString& path) const
{
    auto file = std::make_unique<ViewedFile>();
    file->name = QFileInfo(path).fileName();
    file->input = host_.outputFor(path);
    file->overview = std::make_unique<SpectraOverview>(readOverview(file->input.outputPath, DRAWN_SPECTRA));
    file->fetcher = std::make_unique<SpectrumFetcher>(*file->overview);
    file->chosen = file->overview->columnIndex;
    file->chosenValues = file->overview->column;
    return file;
}

void TFrmViewer::loadFile(const QString& path)
{
    std::unique_ptr<ViewedFile> file = readFile(path);
    files_.clear();
    files_.push_back(std::move(file));
    current_ = 0;
    showFiles();
}

void TFrmViewer::addFile(const QString& path)
{
    if (files_.empty())
        return loadFile(path);
    std::unique_ptr<ViewedFile> file = readFile(path);
    const SpectraOverview& first = *overview();
    if (file->overview->calibrated != first.calibrated)
        throw OutputReadError(path.toStdString() + " cannot be drawn with " + first.path + ": one is by " +
                              "wavelength, the other by pixel number");
    chooseIn(*file, first.x[chosenValue()]);
    files_.push_back(std::move(file));
    showFiles();
}

void TFrmViewer::chooseIn(ViewedFile& file, double x) const
{
    const SpectraOverview& o = *file.overview;
    if (o.x.empty())
        return;
    const std::size_t k = nearestIndex(o.x, x);
    if (k == file.chosen)
        return;
    file.chosen = k;
    file.chosenValues = k == o.columnIndex ? o.column : file.fetcher->column(k);
}

void TFrmViewer::showFiles()
{
    std::vector<PlottedFile> plotted;
    QStringList names;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        plotted.push_back({files_[i]->overview.get(), files_[i]->name, fileColour(i)});
        names << files_[i]->name;
    }
    setWindowTitle(QStringLiteral("Orvantis Spectra - %1").arg(names.join(QStringLiteral(" + "))));
    info_->setText(describeFiles());
    spectraPlot_->show(plotted, colouring_);
    spectraPlot_->setTitle(plotTitle());
    if (!overview()->x.empty())
        spectraPlot_->markX(overview()->x[chosenValue()]);
    current_ = std::min(current_, spectraCount() - 1);
    const QSignalBlocker quiet(slider_);
    slider_->setRange(0, static_cast<int>(spectraCount() - 1));
    slider_->setEnabled(true);
    slider_->setFocus();
    showSeries();
    setCurrentSpectrum(current_);
}

std::size_t TFrmViewer::spectraCount() const
{
    std::size_t most = 0;
    for (const auto& file : files_)
        most = std::max(most, file->overview->records.size());
    return most;
}

QString TFrmViewer::plotTitle() const
{
    QStringList parts;
    for (const auto& file : files_) {
        QString part = QStringLiteral("%1: %2").arg(file->name, valueTitle(*file->overview));
        // Each spectrum records the level applied to its values.
        part += QStringLiteral(", level %1").arg(file->overview->records.front().process);
        parts << part;
    }
    return parts.join(QStringLiteral("; "));
}

QString TFrmViewer::describeFiles() const
{
    QStringList texts;
    for (const auto& file : files_) {
        const SpectraOverview& o = *file->overview;
        const OutputHeader& h = o.header;
        // A recording's output lies in a temporary folder: its name says more.
        const QString shown = file->input.keep ? QStringLiteral("%1, converted for viewing").arg(file->name)
                                               : QString::fromStdString(o.path);
        QString text = QStringLiteral("%1: %2 spectra").arg(shown).arg(o.records.size());
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
        texts << text;
    }
    return texts.join(QLatin1Char('\n'));
}

void TFrmViewer::setCurrentSpectrum(std::size_t j)
{
    if (files_.empty() || j >= spectraCount())
        return;
    current_ = j;
    if (slider_->value() != static_cast<int>(j)) {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(static_cast<int>(j));
    }
    QStringList shown;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        ViewedFile& file = *files_[i];
        const std::vector<SpectrumRecord>& records = file.overview->records;
        if (j >= records.size()) {
            spectraPlot_->highlight(i, {}, QStringLiteral("%1: no spectrum %2").arg(file.name).arg(j + 1));
            continue;
        }
        const QString name = QStringLiteral("%1 / %2, time %3").arg(j + 1).arg(records.size()).arg(records[j].time);
        shown << (drawable(*file.overview, j) ? name : name + QStringLiteral(" (another pixel set)"));
        spectraPlot_->highlight(i, file.fetcher->spectrum(j), QStringLiteral("%1: spectrum %2").arg(file.name, name));
    }
    position_->setText(shown.join(QStringLiteral("; ")));
    seriesPlot_->markSpectrum(j);
}

void TFrmViewer::chooseX(double x)
{
    if (files_.empty() || overview()->x.empty())
        return;
    for (const auto& file : files_)
        chooseIn(*file, x);
    spectraPlot_->markX(overview()->x[chosenValue()]);
    if (seriesChoice_->currentIndex() == ValueAtWavelength)
        showSeries();
    else
        seriesChoice_->setCurrentIndex(ValueAtWavelength);
}

void TFrmViewer::setSeries(Series series)
{
    seriesChoice_->setCurrentIndex(series);
}

void TFrmViewer::setProfile(bool on)
{
    againstChoice_->setCurrentIndex(on ? 1 : 0);
}

void TFrmViewer::setColouring(SpectraColouring colouring)
{
    colouring_ = colouring;
    if (!files_.empty())
        showFiles();
}

void TFrmViewer::showSeries()
{
    if (files_.empty())
        return;
    const auto series = static_cast<Series>(seriesChoice_->currentIndex());
    std::vector<SeriesLine> lines;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const ViewedFile& file = *files_[i];
        const SpectraOverview& o = *file.overview;
        SeriesLine& line = lines.emplace_back();
        line.name = file.name;
        line.colour = fileColour(i);
        for (const SpectrumRecord& r : o.records)
            line.depths << r.depth;
        if (series == ValueAtWavelength) {
            line.values = QVector<double>(file.chosenValues.begin(), file.chosenValues.end());
            line.quantity = QStringLiteral("%1 at %2 %3")
                                .arg(channelName(o))
                                .arg(o.x[file.chosen], 0, 'f', 1)
                                .arg(o.calibrated ? QStringLiteral("nm") : QStringLiteral("(pixel)"));
            line.units = knownUnits(o.header.channelUnits);
        } else {
            for (const SpectrumRecord& r : o.records)
                line.values << fieldOf(r, series);
            line.quantity = seriesNames[series];
            line.units = fieldUnits(series);
        }
    }
    seriesPlot_->show(lines, againstChoice_->currentIndex() == 1);
    seriesPlot_->markSpectrum(current_);
}

void TFrmViewer::setLogarithmic(bool on)
{
    if (logarithmic_->isChecked() != on) {
        logarithmic_->setChecked(on); // comes back here through toggled
        return;
    }
    spectraPlot_->setLogarithmic(on);
    seriesPlot_->setLogarithmic(on);
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
    if (!files_.empty() && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        const std::size_t last = spectraCount() - 1;
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
    if (files_.empty() || (at - pressedAt_).manhattanLength() > CLICK_DISTANCE)
        return;
    if (view == spectraView_)
        chooseX(view->xAxis->pixelToCoord(at.x()));
    else if (!seriesPlot_->profile())
        setCurrentSpectrum(static_cast<std::size_t>(
            std::clamp(std::lround(view->xAxis->pixelToCoord(at.x())) - 1, 0L, static_cast<long>(spectraCount() - 1))));
}

void TFrmViewer::openClicked(bool add)
{
    const QString path = host_.chooseFile(
        this, add ? QStringLiteral("Add Output File") : QStringLiteral("Open Output File"), OUTPUT_FILTER);
    if (!path.isEmpty())
        openOrTell(path, add);
}

void TFrmViewer::openOrTell(const QString& path, bool add)
{
    try {
        if (add)
            addFile(path);
        else
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
