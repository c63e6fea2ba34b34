#include "app/run_progress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <limits>

RunProgress::RunProgress(QWidget* owner, qsizetype files, std::chrono::milliseconds showDelay)
    : dialog_(owner),
      feed_([this] { QMetaObject::invokeMethod(this, &RunProgress::showLatest, Qt::QueuedConnection); }), files_(files)
{
    dialog_.setWindowTitle(QStringLiteral("Orvantis"));
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    bar_ = new QProgressBar(&dialog_);
    bar_->setRange(0, static_cast<int>(files * FileSteps));
    dialog_.setBar(bar_);
    // Shown here, not by the dialog. Its own timer runs from its making, and
    // a new minimum duration restarts it only while the bar is at 0: else it
    // would show the dialog after four seconds, even while a box is up.
    bar_->setValue(0);
    dialog_.setMinimumDuration(std::numeric_limits<int>::max());
    dialog_.hide();
    connect(&dialog_, &QProgressDialog::canceled, this, [this] { feed_.cancel(); });
    showTimer_.setSingleShot(true);
    showTimer_.setInterval(showDelay);
    connect(&showTimer_, &QTimer::timeout, this, [this] {
        due_ = true;
        showIfDue();
    });
}

// Not once cancelled: the dialog's Cancel hides it for good.
void RunProgress::showIfDue()
{
    if (!due_ || stepsAside_ > 0 || dialog_.wasCanceled() || dialog_.isVisible())
        return;
    dialog_.show();
    emit dialogShown();
}

bool RunProgress::startFile(qsizetype index, const QString& name)
{
    noteCancel();
    index_ = index;
    name_ = QFileInfo(name).fileName();
    show(0, static_cast<int>(index * FileSteps));
    if (index == 0)
        showTimer_.start();
    return !feed_.cancelled();
}

void RunProgress::showLatest()
{
    noteCancel();
    const ConversionProgress at = feed_.take();
    const int64_t within = at.inputBytes > 0 ? FileSteps * std::min(at.bytesRead, at.inputBytes) / at.inputBytes : 0;
    show(at.spectra, static_cast<int>(index_ * FileSteps + within));
}

void RunProgress::show(int32_t spectra, int value)
{
    dialog_.setLabelText(
        QStringLiteral("File %1 of %2: %3\n%4 spectra").arg(index_ + 1).arg(files_).arg(name_).arg(spectra));
    bar_->setValue(value);
    emit progressed(value, bar_->maximum());
}

// The dialog's cancel() slot, called other than through its button, only
// sets the dialog's flag.
void RunProgress::noteCancel()
{
    if (dialog_.wasCanceled())
        feed_.cancel();
}

void RunProgress::end()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            ended_ = true;
            emit ended();
        },
        Qt::QueuedConnection);
}

RunProgress::StepAside::StepAside(RunProgress& progress) : progress_(progress)
{
    ++progress_.stepsAside_;
    QCoreApplication::instance()->installEventFilter(this);
}

RunProgress::StepAside::~StepAside()
{
    QCoreApplication::instance()->removeEventFilter(this);
    --progress_.stepsAside_;
    progress_.showIfDue();
}

bool RunProgress::StepAside::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && !event->spontaneous() && watched->isWidgetType()) {
        const auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && window->isModal() && window != &progress_.dialog_)
            progress_.dialog_.hide();
    }
    return false;
}

void RunProgress::waitUntilEnded()
{
    // Input waits while the dialog is hidden; once it shows, it takes input
    // as a modal dialog.
    while (!ended_) {
        QEventLoop loop;
        connect(this, &RunProgress::ended, &loop, &QEventLoop::quit);
        connect(this, &RunProgress::dialogShown, &loop, &QEventLoop::quit);
        loop.exec(dialog_.isHidden() ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
    }
}
