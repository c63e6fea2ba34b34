#pragma once
// The spectra viewer: all spectra of an output file against wavelength,
// one of them highlighted and stepped through, and below it one value or
// per-spectrum field against spectrum number.

#include "viewer/viewer_host.h"
#include "viewer/viewer_overview.h"

#include <QMainWindow>

#include <memory>
#include <utility>

class QAction;
class QComboBox;
class QCustomPlot;
class QLabel;
class QSlider;
class SeriesPlot;
class SpectraPlot;

class TFrmViewer : public QMainWindow {
    Q_OBJECT
public:
    // What the lower plot shows against spectrum number.
    enum Series { ValueAtWavelength, Time, IntegrationTime, Temperature, Depth, Volts, DarkDo, DarkDt };
    // Whole spectra drawn at most; more are shown by their envelope.
    static constexpr std::size_t DRAWN_SPECTRA = 150;

    // The host answers the window's questions and outlives it.
    explicit TFrmViewer(ViewerHost& host, QWidget* parent = nullptr);
    ~TFrmViewer() override;

    // Shows the file; throws OutputReadError and keeps what it showed when
    // the file cannot be read.
    void loadFile(const QString& path);
    // Shows the file, or keeps what it showed and tells why it cannot.
    void openOrTell(const QString& path);
    void setCurrentSpectrum(std::size_t j);
    // Chooses the value nearest to x (a wavelength or pixel number).
    void chooseX(double x);
    void setSeries(Series series);
    void setLogarithmic(bool on);
    void resetView();
    // Writes the plots as an image (png, svg or pdf by the name).
    void exportImage(const QString& path, QSize size);

    const SpectraOverview* overview() const { return overview_.get(); }
    std::size_t currentSpectrum() const { return current_; }
    std::size_t chosenValue() const { return chosen_; }
    QCustomPlot* spectraView() const { return spectraView_; }
    QCustomPlot* seriesView() const { return seriesView_; }
    QSlider* stepper() const { return slider_; }

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
    void openClicked();
    void exportClicked();
    void clickedAt(QCustomPlot* view, QPointF at);
    void showSeries();
    QString describeFile() const;

    ViewerHost& host_;
    QLabel* info_;
    QCustomPlot* spectraView_;
    QCustomPlot* seriesView_;
    QSlider* slider_;
    QLabel* position_;
    QComboBox* seriesChoice_;
    QAction* logarithmic_;
    std::unique_ptr<SpectraPlot> spectraPlot_;
    std::unique_ptr<SeriesPlot> seriesPlot_;
    std::unique_ptr<SpectraOverview> overview_;
    std::unique_ptr<SpectrumFetcher> fetcher_;
    std::size_t current_ = 0;
    std::size_t chosen_ = 0;
    QPointF pressedAt_;
};
