// The conversion run behind "Perform Cal": for every listed file, identify
// it, make sure its instrument's calibration is loaded, and convert it.

#include "app/conversion_driver.h"

#include "app/busy_cursor.h"
#include "app/delimiter_rules.h"
#include "app/dialogs.h"
#include "app/file_age.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/store_fault_notice.h"
#include "app/windows.h"
#include "calibration/cal_table.h"
#include "core/identify.h"
#include "core/processing.h"
#include "core/processing_state.h"
#include "platform/associations.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

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

// Finds the serial's calibration file, asking the user when there is none;
// false when the file has to be skipped.
bool findCalFile(TFrmMain& form, const char* serialText, bool& saveAssociation)
{
    CurrentCalFile = QString::fromStdString(tellingStoreFault([&] { return lookupCalFile(serialText); }));
    const QString serial = QString::fromLatin1(serialText);
    if (fileExists(CurrentCalFile))
        return true;
    dialogs().information(&form, QStringLiteral("No calibration file associated with Tidelume #") + serial +
                                     QStringLiteral(". Please select a calibration file."));
    if (form.OpenDialog1.Execute(&form))
        CurrentCalFile = form.OpenDialog1.FileName;
    if (fileExists(CurrentCalFile)) {
        saveAssociation = true;
        return true;
    }
    dialogs().information(&form, QStringLiteral("Must associate a calibration file with Tidelume #") + serial +
                                     QStringLiteral(" to use Orvantis."));
    return false;
}

// Looks the calibration up and loads it; false when the file has to be skipped.
bool reloadCalibration(TFrmMain& form, bool& saveAssociation)
{
    CurrentCalFile.clear();
    if (!findCalFile(form, dataSerial, saveAssociation))
        return false;
    freeCals();
    const int16_t result = loadCalFile(QFile::encodeName(CurrentCalFile).constData(),
                                       form.CbShowDebug->isChecked() ? 1 : 0,
                                       form.CbIgnoreImmersion->isChecked() ? 1 : 0, AppendMessage);
    if (result != 0) {
        dialogs().information(&form, QStringLiteral("Error: Could not read Calibration File ") + CurrentCalFile);
        saveAssociation = false;
        return false;
    }
    CurrentCalFileAge = fileAge(CurrentCalFile);
    form.CalReloadNeeded = false;
    return true;
}

void convertFile(TFrmMain& form, const QString& file, bool& saveAssociation)
{
    logText(QStringLiteral("Calibrate "));
    logText(file);
    logText(QStringLiteral("\n"));
    if (!fileExists(file)) {
        dialogs().information(&form, QStringLiteral("Can Not Find File ") + file);
        return;
    }
    const QByteArray fileName = QFile::encodeName(file);
    if (identifyDataFile(fileName.constData()) == 0)
        return;
    logText(QStringLiteral("Channel "));
    logText(QString::number(chanIndex));
    logText(QStringLiteral("\n"));
    if (chanIndex < 0 || chanIndex >= MAX_CHANNELS)
        return;
    checkReloadNeeded(form);
    if (form.CalReloadNeeded && !reloadCalibration(form, saveAssociation))
        return;
    const RunOptions options = collectOptions(form);
    if (calibrateFile(fileName.constData(), QFile::encodeName(CurrentCalFile).constData(), options.level,
                      options.transpose, options.binary, options.delimiter, options.verbose, AppendMessage) != 0) {
        dialogs().information(&form, QStringLiteral("Error: Could Not Calibrate ") + file);
        return;
    }
    if (saveAssociation && !storeFaultTold()) // the user knows nothing more is saved
        tellingStoreFault([&] { return storeCalFile(dataSerial, CurrentCalFile.toStdString()); });
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
    for (qsizetype i = 0; i < fileLines().size(); ++i)
        convertFile(*this, fileLines().at(i), saveAssociation);
}
