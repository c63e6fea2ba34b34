#pragma once
// A run that lasts shows a progress dialog (file i of n, its name, spectra so
// far, a bar that moves within each file) with a Cancel button that stops
// the file being converted. The run goes on on a worker thread while the
// event thread waits here, drawing the dialog. The main window takes no
// input during the run: until the dialog shows, no input is handled, and
// then the dialog is modal. A box the run asks for is modal too: the dialog
// steps aside while it is up, so that the box keeps the input.

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

    // Event thread: while it lives, the dialog does not show, and a modal
    // window that shows sends it out of sight; it comes back, if its time
    // has come, once the guard is gone. A modal dialog shown over a box
    // would take the box's input.
    class StepAside : public QObject {
    public:
        explicit StepAside(RunProgress& progress);
        ~StepAside() override;

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override;

    private:
        RunProgress& progress_;
    };

signals:
    // The bar moved.
    void progressed(int value, int maximum);
    void dialogShown();
    void ended();

private:
    void showLatest();
    void showIfDue();
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
    bool due_ = false;   // the show delay has passed
    int stepsAside_ = 0; // guards alive
};
