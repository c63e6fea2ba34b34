#include "app/run_progress.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <limits>

namespace {

std::chrono::milliseconds showDelay{1000};
// Events are handled this often at most, so that a fast run stays fast.
constexpr qint64 EventIntervalMs = 50;

} // namespace

RunProgress::RunProgress(QWidget* owner, qsizetype files) : dialog_(owner), files_(files)
{
    dialog_.setWindowTitle(QStringLiteral("Orvantis"));
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setMinimumDuration(std::numeric_limits<int>::max()); // shown here, not by the dialog
    dialog_.setRange(0, static_cast<int>(files));
    dialog_.hide();
    sinceStart_.start();
}

void RunProgress::setShowDelay(std::chrono::milliseconds delay)
{
    showDelay = delay;
}

void RunProgress::startFile(qsizetype index, const QString& name)
{
    index_ = index;
    name_ = QFileInfo(name).fileName();
    dialog_.setValue(static_cast<int>(index));
    update(0);
}

bool RunProgress::report(const ConversionProgress& progress)
{
    update(progress.spectra);
    return !cancelled();
}

void RunProgress::update(int32_t spectra)
{
    dialog_.setLabelText(
        QStringLiteral("File %1 of %2: %3\n%4 spectra").arg(index_ + 1).arg(files_).arg(name_).arg(spectra));
    keepAlive();
}

// Shows the dialog once the run has lasted, and lets the windows repaint.
void RunProgress::keepAlive()
{
    const qint64 now = sinceStart_.elapsed();
    if (now - lastEvents_ < EventIntervalMs)
        return;
    lastEvents_ = now;
    if (dialog_.isHidden() && sinceStart_.elapsed() >= showDelay.count())
        dialog_.show();
    QCoreApplication::processEvents(dialog_.isHidden() ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
}
