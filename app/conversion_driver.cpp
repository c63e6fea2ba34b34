// The conversion run behind "Perform Cal": for every listed file, identify
// it, make sure its instrument's calibration is loaded, and convert it.

#include "app/conversion_driver.h"

#include "app/busy_cursor.h"
#include "app/delimiter_rules.h"
#include "app/dialogs.h"
#include "app/file_age.h"
#include "app/file_error_boxes.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/store_fault_notice.h"
#include "app/windows.h"
#include "calibration/cal_table.h"
#include "core/identify.h"
#include "conversion/processing.h"
#include "core/processing_state.h"
#include "store/associations.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

#include <optional>

QString CurrentCalFile;
int32_t CurrentCalFileAge = 0;
bool CurrentIgnoreImmersion = false;

namespace {

struct RunOptions {
    int8_t level;
    char delimiter;
    int transpose;
    int binary;
    int16_t verbose;
};

bool fileExists(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isDir();
}

void logText(const QString& text)
{
    AppendMessage(QFile::encodeName(text).constData());
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

RunOptions collectOptions(const TFrmMain& form)
{
    return {processLevelOf(form), delimiterOf(form), form.CbTranspose->isChecked() ? 1 : 0,
            form.CbBinary->isChecked() ? 1 : 0, static_cast<int16_t>(form.CbShowDebug->isChecked() ? 1 : 0)};
}

// The four reload tests; they only ever raise CalReloadNeeded.
void checkReloadNeeded(TFrmMain& form)
{
    const bool debug = form.CbShowDebug->isChecked();
    const CalSlot& slot = calTable[chanIndex];
    if (!slot.cal) {
        if (debug)
            AppendMessage("No Calibration Loaded yet.\n");
        form.CalReloadNeeded = true;
    } else if (QString::fromLatin1(slot.cal->serial).compare(QString::fromLatin1(dataSerial), Qt::CaseInsensitive) !=
               0) {
        if (debug)
            logText(QStringLiteral("Old Serial: %1, new Serial:%2\n")
                        .arg(QString::fromLatin1(slot.cal->serial), QString::fromLatin1(dataSerial)));
        form.CalReloadNeeded = true;
    }
    if (CurrentCalFile.isEmpty() || fileAge(CurrentCalFile) != CurrentCalFileAge)
        form.CalReloadNeeded = true;
    if (form.CbIgnoreImmersion->isChecked() != CurrentIgnoreImmersion) {
        CurrentIgnoreImmersion = form.CbIgnoreImmersion->isChecked();
        form.CalReloadNeeded = true;
    }
}

// Finds the serial's calibration file, asking the user when there is none.
// The failure box's text when the file has to be skipped.
std::optional<QString> findCalFile(TFrmMain& form, const char* serialText, bool& saveAssociation)
{
    CurrentCalFile = QString::fromStdString(tellingStoreFault([&] { return lookupCalFile(serialText); }));
    const QString serial = QString::fromLatin1(serialText);
    if (fileExists(CurrentCalFile))
        return std::nullopt;
    dialogs().information(&form, QStringLiteral("No calibration file associated with Tidelume #") + serial +
                                     QStringLiteral(". Please select a calibration file."));
    form.CalOpenDialog.FileName.clear();
    if (form.CalOpenDialog.Execute(&form))
        CurrentCalFile = form.CalOpenDialog.FileName;
    if (fileExists(CurrentCalFile)) {
        saveAssociation = true;
        return std::nullopt;
    }
    return QStringLiteral("Must associate a calibration file with Tidelume #") + serial +
           QStringLiteral(" to use Orvantis.");
}

// Looks the calibration up and loads it. The failure box's text when the
// file has to be skipped.
std::optional<QString> reloadCalibration(TFrmMain& form, bool& saveAssociation)
{
    CurrentCalFile.clear();
    if (std::optional<QString> failure = findCalFile(form, dataSerial, saveAssociation))
        return failure;
    freeCals();
    const int16_t result = loadCalFile(QFile::encodeName(CurrentCalFile).constData(),
                                       form.CbShowDebug->isChecked() ? 1 : 0,
                                       form.CbIgnoreImmersion->isChecked() ? 1 : 0, AppendMessage);
    if (result != 0) {
        saveAssociation = false;
        return QStringLiteral("Error: Could not read Calibration File ") + CurrentCalFile;
    }
    CurrentCalFileAge = fileAge(CurrentCalFile);
    form.CalReloadNeeded = false;
    return std::nullopt;
}

// Why a file is passed over without a box of its own, logged and kept for
// the list at the end of the run.
void noteSkipped(QStringList& skipped, const QString& reason)
{
    logText(reason + QStringLiteral("\n"));
    skipped.append(reason);
}

// Converts one listed file. The failure box's text, or nothing when the file
// was converted or passed over.
std::optional<QString> convertListedFile(TFrmMain& form, const QString& file, bool& saveAssociation,
                                         const FileErrorBoxes& errors, QStringList& skipped)
{
    logText(QStringLiteral("Calibrate "));
    logText(file);
    logText(QStringLiteral("\n"));
    if (!fileExists(file))
        return QStringLiteral("Can Not Find File ") + file;
    const QByteArray fileName = QFile::encodeName(file);
    if (identifyDataFile(fileName.constData()) == 0) {
        if (errors.empty()) // else it could not be read, which its own box says
            noteSkipped(skipped, file + QStringLiteral(" is not a Tidelume data file"));
        return std::nullopt;
    }
    logText(QStringLiteral("Channel "));
    logText(QString::number(chanIndex));
    logText(QStringLiteral("\n"));
    if (chanIndex < 0 || chanIndex >= MAX_CHANNELS) {
        noteSkipped(skipped, file + QStringLiteral(" has an unknown channel (%1)").arg(qint64{chanIndex} + 1));
        return std::nullopt;
    }
    checkReloadNeeded(form);
    if (form.CalReloadNeeded)
        if (std::optional<QString> failure = reloadCalibration(form, saveAssociation))
            return failure;
    const RunOptions options = collectOptions(form);
    if (calibrateFile(fileName.constData(), QFile::encodeName(CurrentCalFile).constData(), options.level,
                      options.transpose, options.binary, options.delimiter, options.verbose, AppendMessage) != 0)
        return QStringLiteral("Error: Could Not Calibrate ") + file;
    if (saveAssociation && !storeFaultTold()) // the user knows nothing more is saved
        tellingStoreFault([&] { return storeCalFile(dataSerial, CurrentCalFile.toStdString()); });
    return std::nullopt;
}

// One file, with at most one box: the driver's failure text with the
// errors met on the way below it, or those errors alone.
void convertFile(TFrmMain& form, const QString& file, bool& saveAssociation, QStringList& skipped)
{
    const FileErrorBoxes errors;
    const std::optional<QString> failure = convertListedFile(form, file, saveAssociation, errors, skipped);
    if (failure) {
        dialogs().information(&form, errors.empty() ? *failure : *failure + QStringLiteral("\n\n") + errors.joined());
    } else if (!errors.empty()) {
        QApplication::beep();
        dialogs().error(&form, errors.joined(), QStringLiteral("Error"));
    }
}

} // namespace

void TFrmMain::BtnDoCalClick(QObject*)
{
    const BusyCursor hourglass;
    if (CbShowDebug->isChecked() && FrmMessage) {
        FrmMessage->show();
        FrmMessage->raise();
    }
    bool saveAssociation = false;
    QStringList skipped;
    for (qsizetype i = 0; i < fileLines().size(); ++i)
        convertFile(*this, fileLines().at(i), saveAssociation, skipped);
    if (!skipped.isEmpty())
        dialogs().information(this, QStringLiteral("These files were skipped:\n") + skipped.join(QLatin1Char('\n')));
}
