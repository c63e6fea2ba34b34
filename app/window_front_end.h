#pragma once
// The window's front end of the conversion driver. The driver calls it on
// the run's worker thread; whatever reads the window or shows a box is done
// on the event thread while the worker waits, so boxes come in the same
// order and with the same modality as when the run had no thread of its own,
// and the run's progress dialog steps aside while the event thread does it.
// A failed file's box carries the errors met on the way below the driver's
// text; passed-over files are listed at the end of the run.

#include "app/file_error_boxes.h"
#include "driver/conversion_driver.h"
#include "driver/run_report.h"

#include <QStringList>

#include <optional>

class RunProgress;
class TFrmMain;

class WindowFrontEnd : public DriverFrontEnd {
public:
    explicit WindowFrontEnd(TFrmMain& form) : form_(form) {}

    ConversionOptions options() override;
    Log::Sink logSink() override;
    Log::Sink errorBox() override;
    ProgressSink progressSink() override { return progress_; }
    std::optional<std::string> associatedCalFile(const std::string& serial) override;
    void rememberCalFile(const std::string& serial, const std::string& calFile) override;
    std::optional<std::string> chooseCalFile(const std::string& serial) override;
    void reportFailure(const std::string& text) override;
    void reportSkipped(const std::string& reason) override;
    bool useForeignCalibration(const ForeignCalibration& foreign) override;
    void reportForeignRefused(const ForeignCalibration& foreign, const std::string& text) override;

    // A run begins; its conversions report their progress to this sink
    // until it ends, and its boxes show in place of the dialog.
    void startRun(const QStringList& files, RunProgress& runProgress, ProgressSink progress);
    void endRun()
    {
        progress_ = {};
        runProgress_ = nullptr;
    }
    // Worker: converts file number `index` of the run and shows its box, if
    // it has one.
    void convert(ConversionDriver& driver, qsizetype index, const QString& file);
    // Lists the files passed over in the run.
    void showSkipped() const;
    // How the run went, in words: "3 files converted, 1 failed".
    QString runStatus() const;

private:
    // Runs on the event thread once the log shows what came before, with
    // the progress dialog out of the way of any box it shows.
    template <typename Function>
    auto onEventThread(Function function);
    void showFileBox() const;

    TFrmMain& form_;
    ProgressSink progress_;
    RunProgress* runProgress_ = nullptr; // of the run going on
    FileErrorBoxes errors_;              // of the file being converted
    std::optional<QString> failure_;
    QStringList skipped_;
    std::optional<RunReport> report_;
    std::size_t file_ = 0; // of the run, being converted
};
