#pragma once
// A run that lasts shows a progress dialog (file i of n, its name, spectra so
// far) with a Cancel button that stops after the current spectrum; the
// windows repaint meanwhile. The main window takes no input during the run:
// until the dialog shows, no input is handled, and then the dialog is modal.

#include "conversion/conversion.h"

#include <QElapsedTimer>
#include <QProgressDialog>

#include <chrono>
#include <cstdint>

class RunProgress {
public:
    RunProgress(QWidget* owner, qsizetype files);
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // The run goes on with this file (counting from 0).
    void startFile(qsizetype index, const QString& name);
    bool cancelled() const { return dialog_.wasCanceled(); }
    // The current file's progress; false once the run is cancelled.
    bool report(const ConversionProgress& progress);

    // How long a run goes before the dialog shows; tests shorten it.
    static void setShowDelay(std::chrono::milliseconds delay);

private:
    void update(int32_t spectra);
    void keepAlive();

    QProgressDialog dialog_;
    QElapsedTimer sinceStart_;
    qint64 lastEvents_ = -1000000; // when events were last handled, in ms of the run
    qsizetype files_;
    qsizetype index_ = 0;
    QString name_;
};
