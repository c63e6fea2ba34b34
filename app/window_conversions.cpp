// The conversion run behind "Perform Cal": for every listed file, identify
// it, make sure its instrument's calibration is loaded, and convert it.

#include "app/window_conversions.h"

#include "app/busy_cursor.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/gui_call.h"
#include "app/forms.h"
#include "app/run_progress.h"
#include "core/thread_or_here.h"

#include <QCheckBox>
#include <QLabel>
#include <QFile>

#include <exception>
#include <string>
#include <thread>
#include <vector>

void WindowConversions::run(const QStringList& files)
{
    RunProgress progress(&form_, files.size(), showDelay_);
    connect(&progress, &RunProgress::progressed, this, &WindowConversions::progressed);
    frontEnd_.startRun(files, progress, [&progress, watcher = watcher_](const ConversionProgress& at) {
        if (watcher)
            watcher(at);
        return progress.feed().report(at);
    });
    std::vector<std::string> inputs;
    for (const QString& file : files)
        inputs.push_back(QFile::encodeName(file).toStdString());
    driver_.startRun(inputs);
    std::exception_ptr error;
    std::jthread worker = threadOrHere([&] {
        try {
            convertAll(files, progress);
        } catch (...) {
            error = std::current_exception();
        }
        progress.end();
    });
    progress.waitUntilEnded();
    worker.join();
    flushMessages();
    frontEnd_.endRun();
    const QString status = frontEnd_.runStatus();
    form_.LbRunStatus->setText(progress.feed().cancelled() ? status + QStringLiteral("; cancelled") : status);
    if (error)
        std::rethrow_exception(error);
    frontEnd_.showSkipped();
}

// On the worker.
void WindowConversions::convertAll(const QStringList& files, RunProgress& progress)
{
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!callOnThreadOf(&progress, [&] { return progress.startFile(i, files.at(i)); }))
            return;
        progress.feed().startFile();
        frontEnd_.convert(driver_, i, files.at(i));
    }
}

void TFrmMain::BtnDoCalClick(QObject*)
{
    const BusyCursor hourglass;
    if (CbShowDebug->isChecked() && FrmMessage) {
        FrmMessage->show();
        FrmMessage->raise();
    }
    conversions.run(fileLines());
}
