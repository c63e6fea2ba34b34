#include "app/window_front_end.h"

#include "app/delimiter_rules.h"
#include "app/dialogs.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/gui_call.h"
#include "app/run_progress.h"
#include "app/store_fault_notice.h"
#include "store/associations.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QString fromLocal(const std::string& text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

int8_t processLevelOf(const TFrmMain& form)
{
    const QRadioButton* buttons[] = {form.RbRaw, form.RbPixAdjust, form.RbDarkAdjust, form.RbNormTime};
    for (int8_t level = 0; level < 4; ++level)
        if (buttons[level]->isChecked())
            return level;
    return 4;
}

char delimiterOf(const TFrmMain& form)
{
    if (form.RbComma->isChecked())
        return ',';
    if (form.RbSpace->isChecked())
        return ' ';
    if (form.RbTab->isChecked())
        return '\t';
    if (form.RbOtherChar->isChecked())
        return delimiterFromChar(form.EdOtherChar->text());
    return delimiterFromCode(form.EdOtherCode->text());
}

ConversionOptions collectOptions(const TFrmMain& form)
{
    ConversionOptions options;
    options.level = processLevelOf(form);
    options.transpose = form.CbTranspose->isChecked();
    options.form = form.CbBinary->isChecked() ? OutputForm::Binary : OutputForm::Text;
    options.delimiter = delimiterOf(form);
    options.verbose = form.CbShowDebug->isChecked();
    options.ignoreImmersion = form.CbIgnoreImmersion->isChecked();
    return options;
}

} // namespace

template <typename Function>
auto WindowFrontEnd::onEventThread(Function function)
{
    return callOnThreadOf(&form_, [&] {
        flushMessages();
        std::optional<RunProgress::StepAside> aside; // none outside a run
        if (runProgress_)
            aside.emplace(*runProgress_);
        return function();
    });
}

ConversionOptions WindowFrontEnd::options()
{
    return onEventThread([this] { return collectOptions(form_); });
}

Log::Sink WindowFrontEnd::logSink()
{
    return AppendMessage;
}

// Held until the file ends, when they join its box.
Log::Sink WindowFrontEnd::errorBox()
{
    return [this](const char* text) { errors_.hold(text); };
}

std::optional<std::string> WindowFrontEnd::associatedCalFile(const std::string& serial)
{
    return onEventThread([&] { return tellingStoreFault([&] { return lookupCalFile(serial); }); });
}

void WindowFrontEnd::rememberCalFile(const std::string& serial, const std::string& calFile)
{
    onEventThread([&] {
        if (!storeFaultTold()) // the user knows nothing more is saved
            tellingStoreFault([&] { return storeCalFile(serial, calFile); });
    });
}

std::optional<std::string> WindowFrontEnd::chooseCalFile(const std::string& serial)
{
    return onEventThread([&]() -> std::optional<std::string> {
        dialogs().information(&form_, QStringLiteral("No calibration file associated with Tidelume #") +
                                          QString::fromLatin1(serial.c_str()) +
                                          QStringLiteral(". Please select a calibration file."));
        TOpenDialog& dialog = form_.CalOpenDialog;
        dialog.FileName.clear();
        if (!dialog.Execute(&form_))
            return std::nullopt;
        return QFile::encodeName(dialog.FileName).toStdString();
    });
}

bool WindowFrontEnd::useForeignCalibration(const ForeignCalibration& foreign)
{
    const QString dataSerial = QString::fromLatin1(foreign.dataSerial.c_str());
    const QString text = fromLocal(foreign.calFile) + QStringLiteral(" is the calibration file of Tidelume #") +
                         QString::fromLatin1(foreign.calSerial.c_str()) + QStringLiteral(", but ") +
                         fromLocal(foreign.dataFile) + QStringLiteral(" is from Tidelume #") + dataSerial +
                         QStringLiteral(".\n\nUse it for Tidelume #") + dataSerial +
                         QStringLiteral(" anyway? Its spectra would carry another instrument's calibration.");
    return onEventThread(
        [&] { return dialogs().warnYesNo(&form_, text, QStringLiteral("Calibration of another instrument")); });
}

// As when no file was chosen: the instrument still has no calibration.
void WindowFrontEnd::reportForeignRefused(const ForeignCalibration& foreign, const std::string&)
{
    reportUnknownSerial(foreign.dataSerial,
                        "Must associate a calibration file with Tidelume #" + foreign.dataSerial + " to use Orvantis.");
}

void WindowFrontEnd::reportFailure(const std::string& text)
{
    failure_ = fromLocal(text);
}

void WindowFrontEnd::reportSkipped(const std::string& reason)
{
    skipped_.append(fromLocal(reason));
    report_->skipped(file_);
}

void WindowFrontEnd::startRun(const QStringList& files, RunProgress& runProgress, ProgressSink progress)
{
    progress_ = std::move(progress);
    runProgress_ = &runProgress;
    skipped_.clear();
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(QFile::encodeName(file).toStdString());
    report_.emplace(std::move(paths));
}

void WindowFrontEnd::convert(ConversionDriver& driver, qsizetype index, const QString& file)
{
    errors_ = {};
    failure_.reset();
    file_ = static_cast<std::size_t>(index);
    report_->ended(file_, driver.convert(QFile::encodeName(file).toStdString()));
    onEventThread([this] { showFileBox(); });
}

// At most one box a file.
void WindowFrontEnd::showFileBox() const
{
    if (failure_) {
        dialogs().information(&form_,
                              errors_.empty() ? *failure_ : *failure_ + QStringLiteral("\n\n") + errors_.joined());
    } else if (!errors_.empty()) {
        QApplication::beep();
        dialogs().error(&form_, errors_.joined(), QStringLiteral("Error"));
    }
}

QString WindowFrontEnd::runStatus() const
{
    return QString::fromStdString(report_->inWords());
}

void WindowFrontEnd::showSkipped() const
{
    if (!skipped_.isEmpty())
        dialogs().information(&form_, QStringLiteral("These files were skipped:\n") + skipped_.join(QLatin1Char('\n')));
}
