#pragma once
// The spectra viewer: all spectra of one or more output files against
// wavelength, one spectrum of each highlighted and stepped through, and
// below it one value or per-spectrum field of each file against spectrum
// number or, as a profile, against depth.

#include "viewer/viewer_host.h"
#include "viewer/viewer_overview.h"
#include "viewer/viewer_plots.h"

#include <QMainWindow>

#include <memory>
#include <utility>
#include <vector>

class QAction;
class QComboBox;
class QCustomPlot;
class QLabel;
class QSlider;

// One file the viewer shows.
struct ViewedFile {
    QString name; // as the user named it, without its folder
    ViewerInput input;
    std::unique_ptr<SpectraOverview> overview;
    std::unique_ptr<SpectrumFetcher> fetcher;
    std::size_t chosen = 0;           // the chosen x value's index
    std::vector<double> chosenValues; // that value of every spectrum
};

class TFrmViewer : public QMainWindow {
    Q_OBJECT
public:
    // What the lower plot shows against spectrum number or depth.
    enum Series { ValueAtWavelength, Time, IntegrationTime, Temperature, Depth, Volts, DarkDo, DarkDt };
    // Whole spectra drawn at most of each file; more are shown by their
    // envelope.
    static constexpr std::size_t DRAWN_SPECTRA = 150;

    // The host answers the window's questions and outlives it.
    explicit TFrmViewer(ViewerHost& host, QWidget* parent = nullptr);
    ~TFrmViewer() override;

    // Shows the file alone; throws OutputReadError and keeps what it showed
    // when the file cannot be read.
    void loadFile(const QString& path);
    // Adds the file as one more series, at the chosen wavelength; throws as
    // loadFile.
    void addFile(const QString& path);
    // Shows or adds the file, or keeps what it showed and tells why it cannot.
    void openOrTell(const QString& path, bool add = false);
    void setCurrentSpectrum(std::size_t j);
    // Chooses the value nearest to x (a wavelength or pixel number) in
    // every file.
    void chooseX(double x);
    void setSeries(Series series);
    // The lower plot against depth (a profile) or against spectrum number.
    void setProfile(bool on);
    void setColouring(SpectraColouring colouring);
    void setLogarithmic(bool on);
    void resetView();
    // Writes the plots as an image (png, svg or pdf by the name).
    void exportImage(const QString& path, QSize size);

    // The first file's.
    const SpectraOverview* overview() const { return files_.empty() ? nullptr : files_.front()->overview.get(); }
    std::size_t chosenValue() const { return files_.empty() ? 0 : files_.front()->chosen; }
    const std::vector<std::unique_ptr<ViewedFile>>& files() const { return files_; }
    std::size_t currentSpectrum() const { return current_; }
    QCustomPlot* spectraView() const { return spectraView_; }
    QCustomPlot* seriesView() const { return seriesView_; }
    QSlider* stepper() const { return slider_; }
    // The image's title: the files, their channels and levels.
    QString plotTitle() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Wraps a handler for a control's signal in the host's guard.
    template <typename Handler>
    auto guarded(Handler handler)
    {
        return [this, handler = std::move(handler)](auto&&...) { host_.runGuarded(handler); };
    }

    void createMenus();
    void createViewMenu();
    void openClicked(bool add);
    void exportClicked();
    void clickedAt(QCustomPlot* view, QPointF at);
    std::unique_ptr<ViewedFile> readFile(const QString& path) const;
    void chooseIn(ViewedFile& file, double x) const;
    void showFiles();
    void showSeries();
    std::size_t spectraCount() const;
    QString describeFiles() const;

    ViewerHost& host_;
    QLabel* info_;
    QCustomPlot* spectraView_;
    QCustomPlot* seriesView_;
    QSlider* slider_;
    QLabel* position_;
    QComboBox* seriesChoice_;
    QComboBox* againstChoice_;
    QAction* logarithmic_;
    std::unique_ptr<SpectraPlot> spectraPlot_;
    std::unique_ptr<SeriesPlot> seriesPlot_;
    std::vector<std::unique_ptr<ViewedFile>> files_;
    SpectraColouring colouring_ = SpectraColouring::ByFile;
    std::size_t current_ = 0;
    QPointF pressedAt_;
};
