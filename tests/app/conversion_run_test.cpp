// The conversion run behind "Perform Cal": association lookup and prompting,
// when the calibration is loaded again, and the driver's message boxes.

#include "app_test_support.h"
#include "foreign_lock.h"

#include "app/window_conversions.h"
#include "app/frm_change_cal.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/forms.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString Serial = QStringLiteral("TDL0417");
const QString CalLoaded = QStringLiteral("Calibration load took");

QString outputOf(const QString& dataFile)
{
    return dataFile.left(dataFile.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".DAT");
}

const DriverState& driverState()
{
    return FrmMain->conversions.driver().state;
}

void run(const QStringList& files)
{
    FrmMain->setFileLines(files);
    FrmMain->BtnDoCal->click();
}

} // namespace

class ConversionRunTest : public WindowTestCase {
    Q_OBJECT
    QString calFile, fileA, fileB;

    void prepare() override
    {
        calFile = env->copyExample(QStringLiteral("EXAMPLE.CAL"));
        fileA = env->copyExample(QStringLiteral("SET0101A.ASC"));
        fileB = env->copyExample(QStringLiteral("SET0101B.ASC"));
    }

private slots:
    void firstInstrumentAsksOnceAndRemembers()
    {
        env->boxes.fileAnswers.append({calFile});
        run({fileA});
        QCOMPARE(env->boxes.texts(DialogCall::Information),
                 QStringList{QStringLiteral("No calibration file associated with Tidelume #TDL0417. Please "
                                            "select a calibration file.")});
        QCOMPARE(env->boxes.calls.size(), 2);
        QCOMPARE(env->boxes.calls.at(1).kind, DialogCall::OpenFiles);
        // Nothing filled in for Enter to confirm, and calibration files first.
        QVERIFY(env->boxes.calls.at(1).fileName.isEmpty());
        QVERIFY(env->boxes.calls.at(1).filter.startsWith(QStringLiteral("Calibration files (*.cal")));
        QVERIFY(QFileInfo::exists(outputOf(fileA)));
        QCOMPARE(storedCalFile(Serial), calFile);
        QCOMPARE(QString::fromStdString(driverState().CurrentCalFile), calFile);
        QVERIFY(driverState().CurrentCalFileAge != -1);
        QVERIFY(!driverState().CalReloadNeeded);

        env->boxes.clear();
        QFile::remove(outputOf(fileA));
        run({fileA});
        QVERIFY(env->boxes.calls.isEmpty());
        QVERIFY(QFileInfo::exists(outputOf(fileA)));
        QCOMPARE(countInLog(CalLoaded), 1);
    }

    void newProcessFindsStoredAssociationWithoutAsking()
    {
        storeAssociation(Serial, calFile);
        run({fileA});
        QVERIFY(env->boxes.calls.isEmpty());
        QVERIFY(QFileInfo::exists(outputOf(fileA)));
    }

    void driverLogsItsOwnProgressLines()
    {
        storeAssociation(Serial, calFile);
        run({fileB});
        QVERIFY(messageLog().contains(QStringLiteral("Calibrate ") + fileB + QLatin1Char('\n')));
        QVERIFY(messageLog().contains(QStringLiteral("Channel 1\n")));
    }

    void twoFilesOfOneInstrumentLoadOnce()
    {
        storeAssociation(Serial, calFile);
        run({fileA, fileB});
        QCOMPARE(countInLog(CalLoaded), 1);
        QVERIFY(QFileInfo::exists(outputOf(fileA)));
        QVERIFY(QFileInfo::exists(outputOf(fileB)));
        QVERIFY(env->boxes.calls.isEmpty());
    }

    void rewrittenCalibrationFileIsLoadedAgain()
    {
        storeAssociation(Serial, calFile);
        run({fileA});
        QFile file(calFile);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime));
        file.close();
        run({fileA});
        QCOMPARE(countInLog(CalLoaded), 2);
    }

    void ignoreImmersionForcesReload()
    {
        storeAssociation(Serial, calFile);
        run({fileA});
        FrmMain->CbIgnoreImmersion->setChecked(true);
        run({fileA});
        QVERIFY(driverState().CurrentIgnoreImmersion);
        run({fileA});
        QCOMPARE(countInLog(CalLoaded), 2);
    }

    void associationsWindowForcesReloadEvenWhenCancelled()
    {
        storeAssociation(Serial, calFile);
        run({fileA});
        QTimer::singleShot(0, FrmChangeCal->BtnCancel, &QPushButton::click);
        FrmMain->BtnChangeCals->click();
        QVERIFY(driverState().CalReloadNeeded);
        run({fileA});
        QCOMPARE(countInLog(CalLoaded), 2);
        QVERIFY(!driverState().CalReloadNeeded);
    }

    void missingFileAndEmptyLineAreReportedAndRunGoesOn()
    {
        storeAssociation(Serial, calFile);
        const QString gone = env->dataFolder() + QStringLiteral("/GONE0101A.ASC");
        FrmMain->MemoFile->setPlainText(gone + QStringLiteral("\n\n") + fileA);
        FrmMain->BtnDoCal->click();
        QCOMPARE(env->boxes.texts(DialogCall::Information),
                 (QStringList{QStringLiteral("Can Not Find File ") + gone, QStringLiteral("Can Not Find File ")}));
        QVERIFY(QFileInfo::exists(outputOf(fileA)));
    }

    void cancelledChoiceSkipsFileAndKeepsReloadPending()
    {
        run({fileA});
        QCOMPARE(env->boxes.texts(DialogCall::Information).last(),
                 QStringLiteral("Must associate a calibration file with Tidelume #TDL0417 to use Orvantis."));
        QVERIFY(driverState().CalReloadNeeded);
        QVERIFY(!QFileInfo::exists(outputOf(fileA)));
        QVERIFY(storedCalFile(Serial).isEmpty());
    }

    void chosenFileThatDoesNotExistIsRefused()
    {
        env->boxes.fileAnswers.append({env->dataFolder() + QStringLiteral("/NOPE.CAL")});
        run({fileA});
        QCOMPARE(env->boxes.texts(DialogCall::Information).size(), 2);
        QVERIFY(storedCalFile(Serial).isEmpty());
    }

    void escapingErrorEndsRunShowsBoxAndRestoresCursor()
    {
        storeAssociation(Serial, calFile);
        ForeignLock holder(calFile.toStdString());
        QVERIFY(holder.lock());
        run({fileA, fileB});
        QCOMPARE(env->boxes.texts(DialogCall::Error).size(), 1);
        QCOMPARE(env->boxes.calls.first().caption, QStringLiteral("Orvantis"));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(driverState().CalReloadNeeded);
        QVERIFY(!QFileInfo::exists(outputOf(fileA)));
        QVERIFY(!QFileInfo::exists(outputOf(fileB)));
    }

    void dataFileChosenAsCalibrationIsRefusedAndNotRemembered()
    {
        env->boxes.fileAnswers.append({fileA});
        run({fileA});
        QCOMPARE(env->boxes.texts(DialogCall::Information).last(),
                 QStringLiteral("Error: Could not read Calibration File ") + fileA +
                     QStringLiteral("\n\nNo channel calibration found in ") + fileA);
        QVERIFY(env->boxes.texts(DialogCall::Error).isEmpty());
        QVERIFY(!QFileInfo::exists(outputOf(fileA)));
        QVERIFY(storedCalFile(Serial).isEmpty());
        QVERIFY(driverState().CalReloadNeeded);
    }

    // Another instrument's calibration file, chosen for #TDL0417: asked
    // about; No refuses it for good, Yes converts and remembers it.
    void calibrationOfAnotherInstrumentIsAskedAboutBeforeUse()
    {
        QFile cal(calFile);
        QVERIFY(cal.open(QIODevice::ReadOnly));
        const QString otherCal = env->dataFolder() + QStringLiteral("/OTHER.CAL");
        QFile other(otherCal);
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(cal.readAll().replace("TDL0417", "TDL0999"));
        other.close();
        for (const bool yes : {false, true}) {
            env->boxes.clear();
            env->boxes.fileAnswers.append({otherCal});
            env->boxes.yesNoAnswers.append(yes);
            run({fileA});
            QCOMPARE(env->boxes.texts(DialogCall::YesNo).size(), 1);
            QVERIFY(env->boxes.texts(DialogCall::YesNo).first().contains(QStringLiteral("Tidelume #TDL0999")));
            QCOMPARE(QFileInfo::exists(outputOf(fileA)), yes);
            QCOMPARE(storedCalFile(Serial), yes ? otherCal : QString());
            if (!yes)
                QCOMPARE(env->boxes.texts(DialogCall::Information).last(),
                         QStringLiteral("Must associate a calibration file with Tidelume #TDL0417 to use Orvantis."));
        }
    }

    void failedFileGivesOneBoxWithItsReasonsAndTheRunGoesOn()
    {
        env->boxes.fileAnswers.append({calFile});
        QVERIFY(QDir().mkdir(outputOf(fileA)));
        run({fileA, fileB});
        QCOMPARE(env->boxes.calls.size(), 3);
        QCOMPARE(env->boxes.calls.at(2).kind, DialogCall::Information);
        QCOMPARE(env->boxes.calls.at(2).text, QStringLiteral("Error: Could Not Calibrate ") + fileA +
                                                  QStringLiteral("\n\nError 21 opening output file ") +
                                                  outputOf(fileA) +
                                                  QStringLiteral(": Is a directory\nNo files processed."));
        QVERIFY(QFileInfo::exists(outputOf(fileB)));
        // The second file converted and so stored the choice.
        QCOMPARE(storedCalFile(Serial), calFile);
        QCOMPARE(FrmMain->LbRunStatus->text(), QStringLiteral("1 file converted, 1 failed"));
    }

    void filesPassedOverAreListedInOneBoxAtTheEnd()
    {
        storeAssociation(Serial, calFile);
        const QString junk = env->dataFolder() + QStringLiteral("/JUNK0101A.ASC");
        const QString empty = env->dataFolder() + QStringLiteral("/EMPTY0101A.ASC");
        QFile junkFile(junk);
        QVERIFY(junkFile.open(QIODevice::WriteOnly));
        junkFile.write(QByteArray("\x8f\x01\xfe\x00garbage\r\n\x13\x37", 14));
        junkFile.close();
        QFile emptyFile(empty);
        QVERIFY(emptyFile.open(QIODevice::WriteOnly));
        emptyFile.close();
        run({junk, fileA, empty});
        const QString junkReason = junk + QStringLiteral(" is not a Tidelume data file");
        // An empty file is a cast lost, not a file of another kind.
        QCOMPARE(env->boxes.texts(DialogCall::Information),
                 (QStringList{empty + QStringLiteral(" is empty (0 bytes)"),
                              QStringLiteral("These files were skipped:\n") + junkReason}));
        QCOMPARE(env->boxes.calls.size(), 2);
        QVERIFY(messageLog().contains(junkReason + QLatin1Char('\n')));
        QVERIFY(QFileInfo::exists(outputOf(fileA)));
        QCOMPARE(FrmMain->LbRunStatus->text(), QStringLiteral("1 file converted, 1 failed, 1 skipped"));
        run({fileA, fileB}); // all went well: the words say so, and no box
        QCOMPARE(env->boxes.calls.size(), 2);
        QCOMPARE(FrmMain->LbRunStatus->text(), QStringLiteral("2 files converted"));
    }

    // Two listed files that would write one output: the later one is passed
    // over before anything is written, so the earlier one's output stays.
    void laterFileOfTheSameOutputIsPassedOver()
    {
        storeAssociation(Serial, calFile);
        const QString binary = env->dataFolder() + QStringLiteral("/SET0101A.BIN");
        QVERIFY(QFile::copy(env->copyExample(QStringLiteral("SET0102A.BIN")), binary));
        run({fileA, binary});
        const QString reason = fileA + QStringLiteral(" and ") + binary + QStringLiteral(" would both be written to ") +
                               outputOf(fileA) + QStringLiteral("; ") + binary + QStringLiteral(" not converted");
        QCOMPARE(env->boxes.texts(DialogCall::Information),
                 QStringList{QStringLiteral("These files were skipped:\n") + reason});
        QVERIFY(messageLog().contains(reason + QLatin1Char('\n')));
        QFile output(outputOf(fileA));
        QVERIFY(output.open(QIODevice::ReadOnly));
        QVERIFY(output.readAll().contains(QStringLiteral("Source file: %1\r\n").arg(fileA).toUtf8()));
    }

    void emptyListOnlyShowsMessageWindowWithDebug()
    {
        FrmMain->CbShowDebug->setChecked(true);
        run({});
        QVERIFY(env->boxes.calls.isEmpty());
        QVERIFY(FrmMessage->isVisible());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
};

QTEST_MAIN(ConversionRunTest)
#include "conversion_run_test.moc"
