#pragma once
// The window's side of the conversion driver: what "Perform Cal" and the
// start-up conversion share with the converter, done with boxes and dialogs.
// A run converts its files on a worker thread, one after the other, while
// the event thread draws the windows and the progress dialog.

#include "app/window_front_end.h"
#include "driver/conversion_driver.h"

#include <QObject>

#include <chrono>
#include <functional>

class RunProgress;
class TFrmMain;

class WindowConversions : public QObject {
    Q_OBJECT
public:
    explicit WindowConversions(TFrmMain& form) : form_(form), frontEnd_(form), driver_(frontEnd_) {}

    // Converts the files in order and returns once the run has ended; an
    // error that ended the run is raised here.
    void run(const QStringList& files);

    // Its state lasts from one run to the next.
    ConversionDriver& driver() { return driver_; }
    // How long a run goes before its progress dialog shows.
    void setProgressShowDelay(std::chrono::milliseconds delay) { showDelay_ = delay; }
    // Also told every progress report of a run, on its worker thread, before
    // the run's own dialog; tests hold a conversion there.
    void watchProgress(std::function<void(const ConversionProgress&)> watcher) { watcher_ = std::move(watcher); }

signals:
    // A run's progress bar moved.
    void progressed(int value, int maximum);

private:
    void convertAll(const QStringList& files, RunProgress& progress);

    TFrmMain& form_;
    WindowFrontEnd frontEnd_;
    ConversionDriver driver_;
    std::chrono::milliseconds showDelay_{1000};
    std::function<void(const ConversionProgress&)> watcher_;
};
