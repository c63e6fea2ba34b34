// "Perform Cal" converts on a worker thread: the files in order with the log
// of a run on the event thread, an event thread that keeps handling events
// while a file converts, a Cancel that stops the run after the current file,
// and a progress bar that moves within a file.

#include "app_test_support.h"
#include "held_conversion.h"

#include "app/forms.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "store/associations.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QLabel>
#include <QTest>
#include <QTimer>

namespace {

const QString Serial = QStringLiteral("TDL0417");

QString outputOf(const QString& dataFile)
{
    return dataFile.left(dataFile.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".DAT");
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// The log without the one figure that changes from run to run.
QString withoutTimings(QString log)
{
    return log.replace(QRegularExpression(QStringLiteral("Calibration load took [^\n]*\n")), QString());
}

// The driver run the old way, on the event thread, logging to the memo.
class EventThreadFrontEnd : public DriverFrontEnd {
public:
    ConversionOptions options() override
    {
        ConversionOptions options;
        options.verbose = true;
        options.transpose = true;
        return options;
    }
    Log::Sink logSink() override { return AppendMessage; }
    std::optional<std::string> associatedCalFile(const std::string& serial) override { return lookupCalFile(serial); }
    void rememberCalFile(const std::string&, const std::string&) override {}
    std::optional<std::string> chooseCalFile(const std::string&) override { return std::nullopt; }
    void reportFailure(const std::string&) override {}
    void reportSkipped(const std::string&) override {}
};

} // namespace

class WorkerRunTest : public WindowTestCase {
    Q_OBJECT
    QString calFile, fileA, fileB;

    void prepare() override
    {
        calFile = env->copyExample(QStringLiteral("EXAMPLE.CAL"));
        fileA = env->copyExample(QStringLiteral("SET0101A.ASC"));
        fileB = env->copyExample(QStringLiteral("SET0101B.ASC"));
        storeAssociation(Serial, calFile);
    }

    void run(const QStringList& files)
    {
        FrmMain->CbAutoInclude->setChecked(false);
        FrmMain->setFileLines(files);
        FrmMain->BtnDoCal->click();
    }

private slots:
    void filesConvertInOrderWithTheLogOfARunOnTheEventThread()
    {
        const QString junk = env->writeFile(QStringLiteral("JUNK0101A.ASC"), "not data\r\n");
        const QString gone = env->dataFolder() + QStringLiteral("/GONE0101A.ASC");
        const QStringList files{fileB, junk, gone, fileA};
        FrmMain->CbShowDebug->setChecked(true);
        FrmMain->CbTranspose->setChecked(true);
        run(files);
        const QString workerLog = messageLog();
        QVERIFY(QFileInfo::exists(outputOf(fileA)));
        QVERIFY(QFileInfo::exists(outputOf(fileB)));
        const QByteArray outputA = contentOf(outputOf(fileA));
        QVERIFY(workerLog.indexOf(QStringLiteral("Calibrate ") + fileB) <
                workerLog.indexOf(QStringLiteral("Calibrate ") + fileA));

        FrmMessage->ClearMessages1->trigger();
        EventThreadFrontEnd frontEnd;
        ConversionDriver driver(frontEnd);
        std::vector<std::string> inputs;
        for (const QString& file : files)
            inputs.push_back(file.toStdString());
        driver.startRun(inputs);
        for (const std::string& input : inputs)
            driver.convert(input);
        QCOMPARE(withoutTimings(workerLog), withoutTimings(messageLog()));
        QCOMPARE(contentOf(outputOf(fileA)), outputA);
    }

    void eventThreadHandlesEventsWhileAFileConverts()
    {
        const QString data = env->writeFile(QStringLiteral("LONG0101A.ASC"), repeatedExample(50));
        HeldConversion conversion;
        conversion.watch();
        bool firedDuringFile = false;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] {
            if (conversion.held && !firedDuringFile) {
                firedDuringFile = true;
                conversion.resume.release();
            }
        });
        tick.start(0);
        run({data});
        QVERIFY(firedDuringFile);
        QVERIFY(conversion.resumedInTime);
        QVERIFY(QFileInfo::exists(outputOf(data)));
        QVERIFY(env->boxes.calls.isEmpty());
    }

    void cancelStopsTheRunAfterTheCurrentFileAndKeepsItsPreviousOutput()
    {
        const QString data = env->writeFile(QStringLiteral("LONG0101A.ASC"), repeatedExample(50));
        const QString output = env->writeFile(QStringLiteral("LONG0101A.DAT"), "previous output");
        FrmMain->conversions.setProgressShowDelay(std::chrono::milliseconds(0));
        HeldConversion conversion;
        conversion.watch();
        bool cancelled = false;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!conversion.held || !dialog || cancelled)
                return;
            dialog->findChild<QPushButton*>()->click();
            cancelled = true;
            conversion.resume.release();
        });
        tick.start(0);
        run({data, fileB});
        QVERIFY(cancelled);
        QVERIFY(conversion.resumedInTime);
        QCOMPARE(contentOf(output), QByteArray("previous output"));
        QVERIFY(!QFileInfo::exists(outputOf(fileB)));
        QVERIFY(!messageLog().contains(QStringLiteral("Calibrate ") + fileB));
        QVERIFY(messageLog().contains(QStringLiteral("cancelled")));
        QVERIFY(env->boxes.calls.isEmpty());
        QCOMPARE(FrmMain->LbRunStatus->text(), QStringLiteral("0 files converted, 1 failed; cancelled"));
    }

    void progressBarMovesWithinEachFile()
    {
        // 4812 spectra: the last report comes before the end of the file.
        const QString first = env->writeFile(QStringLiteral("LONG0101A.ASC"), repeatedExample(401));
        const QString second = env->writeFile(QStringLiteral("LONG0102A.ASC"), repeatedExample(401));
        QList<int> values;
        QList<int> maxima;
        connect(&FrmMain->conversions, &WindowConversions::progressed, this, [&](int value, int maximum) {
            values.append(value);
            maxima.append(maximum);
        });
        run({first, second});
        QVERIFY(QFileInfo::exists(outputOf(second)));
        QCOMPARE(maxima.first(), 2000);
        QCOMPARE(maxima.last(), 2000);
        QVERIFY2(std::is_sorted(values.begin(), values.end()), "the bar went back");
        const auto within = [&](int from, int to) {
            return std::any_of(values.begin(), values.end(), [&](int value) { return value > from && value < to; });
        };
        QVERIFY2(within(0, 1000), "no step within the first file");
        QVERIFY2(within(1000, 2000), "no step within the second file");
        QVERIFY(values.contains(1000)); // the second file's start
    }
};

QTEST_MAIN(WorkerRunTest)
#include "worker_run_test.moc"
