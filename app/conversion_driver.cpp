// The conversion run behind "Perform Cal": for every listed file, identify
// it, make sure its instrument's calibration is loaded, and convert it.

#include "app/conversion_driver.h"

#include "app/busy_cursor.h"
#include "app/delimiter_rules.h"
#include "app/dialogs.h"
#include "app/error_display.h"
#include "app/file_error_boxes.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/run_progress.h"
#include "app/store_fault_notice.h"
#include "app/forms.h"
#include "store/associations.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

#include <optional>

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

// The window asks the user and shows boxes. A failed file's box carries the
// errors met on the way below the driver's text; passed-over files are
// listed at the end of the run.
class WindowFrontEnd : public DriverFrontEnd {
public:
    ConversionOptions options() override { return collectOptions(*form_); }

    Log::Sink logSink() override { return AppendMessage; }

    Log::Sink errorBox() override
    {
        return [this](const char* text) {
            if (errors_)
                errors_->hold(text);
            else
                showLogErrorBox(text);
        };
    }

    ProgressSink progressSink() override
    {
        if (!progress_)
            return {};
        return [progress = progress_](const ConversionProgress& at) { return progress->report(at); };
    }

    std::optional<std::string> associatedCalFile(const std::string& serial) override
    {
        return tellingStoreFault([&] { return lookupCalFile(serial); });
    }

    void rememberCalFile(const std::string& serial, const std::string& calFile) override
    {
        if (!storeFaultTold()) // the user knows nothing more is saved
            tellingStoreFault([&] { return storeCalFile(serial, calFile); });
    }

    std::optional<std::string> chooseCalFile(const std::string& serial) override
    {
        dialogs().information(form_, QStringLiteral("No calibration file associated with Tidelume #") +
                                         QString::fromLatin1(serial.c_str()) +
                                         QStringLiteral(". Please select a calibration file."));
        TOpenDialog& dialog = form_->CalOpenDialog;
        dialog.FileName.clear();
        if (!dialog.Execute(form_))
            return std::nullopt;
        return QFile::encodeName(dialog.FileName).toStdString();
    }

    void reportFailure(const std::string& text) override { failure_ = fromLocal(text); }

    void reportSkipped(const std::string& reason) override { skipped_.append(fromLocal(reason)); }

    // One file, with at most one box.
    void convert(const QString& file)
    {
        FileErrorBoxes errors;
        errors_ = &errors;
        failure_.reset();
        windowDriver().convert(QFile::encodeName(file).toStdString());
        errors_ = nullptr;
        if (failure_) {
            dialogs().information(form_,
                                  errors.empty() ? *failure_ : *failure_ + QStringLiteral("\n\n") + errors.joined());
        } else if (!errors.empty()) {
            QApplication::beep();
            dialogs().error(form_, errors.joined(), QStringLiteral("Error"));
        }
    }

    // The run's window: during the start-up conversion FrmMain is not set yet.
    void startRun(TFrmMain& form, const QStringList& files, RunProgress* progress)
    {
        form_ = &form;
        progress_ = progress;
        skipped_.clear();
        std::vector<std::string> inputs;
        for (const QString& file : files)
            inputs.push_back(QFile::encodeName(file).toStdString());
        windowDriver().startRun(inputs);
    }

    // Lists the files passed over in this run.
    void showSkipped() const
    {
        if (!skipped_.isEmpty())
            dialogs().information(form_,
                                  QStringLiteral("These files were skipped:\n") + skipped_.join(QLatin1Char('\n')));
    }

private:
    TFrmMain* form_ = nullptr;
    RunProgress* progress_ = nullptr;
    FileErrorBoxes* errors_ = nullptr; // of the file being converted
    std::optional<QString> failure_;
    QStringList skipped_;
};

WindowFrontEnd& windowFrontEnd()
{
    static WindowFrontEnd frontEnd;
    return frontEnd;
}

} // namespace

ConversionDriver& windowDriver()
{
    static ConversionDriver driver(windowFrontEnd());
    return driver;
}

void TFrmMain::BtnDoCalClick(QObject*)
{
    const BusyCursor hourglass;
    if (CbShowDebug->isChecked() && FrmMessage) {
        FrmMessage->show();
        FrmMessage->raise();
    }
    RunProgress progress(this, fileLines().size());
    windowFrontEnd().startRun(*this, fileLines(), &progress);
    for (qsizetype i = 0; i < fileLines().size() && !progress.cancelled(); ++i) {
        progress.startFile(i, fileLines().at(i));
        windowFrontEnd().convert(fileLines().at(i));
    }
    windowFrontEnd().showSkipped();
    windowFrontEnd().startRun(*this, {}, nullptr);
}
