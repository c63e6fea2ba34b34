#pragma once
// A run that lasts shows a progress dialog (file i of n, its name, spectra so
// far, a bar that moves within each file) with a Cancel button that stops
// the file being converted. The run goes on on a worker thread while the
// event thread waits here, drawing the dialog. The main window takes no
// input during the run: until the dialog shows, no input is handled, and
// then the dialog is modal.

#include "app/progress_feed.h"

#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>

#include <chrono>

class RunProgress : public QObject {
    Q_OBJECT
public:
    // The bar's steps within one file.
    static constexpr int FileSteps = 1000;

    RunProgress(QWidget* owner, qsizetype files, std::chrono::milliseconds showDelay);

    // Event thread: the run goes on with this file (counting from 0); false
    // once the run is cancelled.
    bool startFile(qsizetype index, const QString& name);
    // Worker: what the conversions report to.
    ProgressFeed& feed() { return feed_; }

    // Any thread: the run has ended.
    void end();
    // Event thread: handles events until end() is called.
    void waitUntilEnded();

signals:
    // The bar moved.
    void progressed(int value, int maximum);
    void dialogShown();
    void ended();

private:
    void showLatest();
    void show(int32_t spectra, int value);
    void noteCancel();

    QProgressDialog dialog_;
    QProgressBar* bar_; // the dialog's; set directly, since the dialog's setValue handles events
    QTimer showTimer_;
    ProgressFeed feed_;
    qsizetype files_;
    qsizetype index_ = 0;
    QString name_;
    bool ended_ = false;
};
