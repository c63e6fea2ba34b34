// The viewer where the system fails it: an image export onto a full disk
// fails loudly and leaves the previous image and no temporary, and an input
// that is no regular file (a FIFO, a device, a folder) is refused at once
// instead of blocking or being read without end. A hang is ctest's timeout.

#include "app/app_viewer_host.h"
#include "viewer/frm_viewer.h"
#include "viewer/viewer_entry.h"
#include "scripted_dialogs.h"
#include "small_disk.h"

#include <QApplication>
#include <QDir>
#include <QMenuBar>
#include <QProcess>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

namespace {

// What the small disk holds; a 1200 x 900 plot in any form is larger.
constexpr rlim_t DISK_BYTES = 16 * 1024;

// Where the small disk cannot be mounted, a limit on the size of the
// files the program writes fails its writes the same way.
void limitWhereNotMounted(const SmallDisk& disk, QProcess& program)
{
    if (disk.mounted())
        return;
    program.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{DISK_BYTES, DISK_BYTES};
        setrlimit(RLIMIT_FSIZE, &small);
    });
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot be read)");
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Every name in the folder, the hidden temporaries' too.
QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// An output of 300 spectra of 64 values, enough lines for a plot larger
// than the small disk.
QByteArray outputText()
{
    QByteArray text = "Tidelume processed data file. Serial: S Orvantis v1.31\r\nSource file: A\r\n"
                      "Calibration file: C\r\nChannel: Lu, W\r\n"
                      "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix";
    for (int k = 0; k < 64; ++k)
        text += "," + QByteArray::number(400 + k * 5);
    text += "\r\n";
    for (int j = 0; j < 300; ++j) {
        text += QByteArray::number(j) + ",1.0,2.00,3.00,4,1,1,0,0,100,0,1,64";
        for (int k = 0; k < 64; ++k)
            text += "," + QByteArray::number((j * 37 + k * k * 11) % 997);
        text += "\r\n";
    }
    return text;
}

struct Run {
    int exitCode;
    QString error;
};

// Runs the program to its end: a program that hangs is ctest's to stop.
Run plot(const QString& output, const QString& image, const SmallDisk* disk = nullptr)
{
    QProcess program;
    if (disk)
        limitWhereNotMounted(*disk, program);
    program.start(QStringLiteral(ORVANTIS_PROGRAM),
                  {QStringLiteral("--plot"), output, QStringLiteral("--output"), image});
    program.waitForFinished(-1);
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromLocal8Bit(program.readAllStandardError())};
}

QAction* menuAction(QMainWindow& window, const QString& text)
{
    for (QAction* menu : window.menuBar()->actions())
        for (QAction* action : menu->menu()->actions())
            if (action->text() == text)
                return action;
    return nullptr;
}

} // namespace

class ViewerFaultTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString output;
    ScriptedDialogs boxes;

    // The inputs that are no regular file, each with its kind.
    QList<QPair<QString, QString>> irregularInputs() const
    {
        return {{dir.filePath(QStringLiteral("fifo")), QStringLiteral("a FIFO")},
                {QStringLiteral("/dev/zero"), QStringLiteral("a device")},
                {dir.path(), QStringLiteral("a folder")}};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        output = dir.filePath(QStringLiteral("PLOT.DAT"));
        writeAll(output, outputText());
        QCOMPARE(::mkfifo(dir.filePath(QStringLiteral("fifo")).toLocal8Bit().constData(), 0600), 0);
        setDialogs(&boxes);
    }

    void cleanupTestCase() { setDialogs(nullptr); }

    void anExportOntoAFullDiskFailsAndKeepsThePreviousImage()
    {
        const QString roomy = dir.filePath(QStringLiteral("roomy"));
        QVERIFY(QDir().mkpath(roomy));
        const SmallDisk disk(dir.filePath(QStringLiteral("disk")).toStdString(), DISK_BYTES / 1024);
        const QString full = dir.filePath(QStringLiteral("disk"));
        const QByteArray previous = "the previous image\n";
        for (const QString& form : {QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf")}) {
            const QString name = QStringLiteral("plot.") + form;
            // The same plot fits where there is room, and is too large for the disk.
            QCOMPARE(plot(output, roomy + QLatin1Char('/') + name).exitCode, 0);
            QVERIFY2(QFileInfo(roomy + QLatin1Char('/') + name).size() > static_cast<qint64>(DISK_BYTES),
                     qPrintable(name));

            const QString image = full + QLatin1Char('/') + name;
            writeAll(image, previous);
            const Run run = plot(output, image, &disk);
            QVERIFY2(run.exitCode == 1, qPrintable(name + QStringLiteral(": ") + run.error));
            QVERIFY2(run.error.contains(QStringLiteral("Cannot write \"%1\": ").arg(image)), qPrintable(run.error));
            QVERIFY2(run.error.contains(QStringLiteral("No space left on device")) ||
                         run.error.contains(QStringLiteral("File too large")),
                     qPrintable(run.error));
            QCOMPARE(readAll(image), previous);
            QCOMPARE(namesIn(full), QStringList{name});
            QVERIFY(QFile::remove(image));
        }
    }

    void anExportReplacesThePreviousImageWhole()
    {
        TFrmViewer viewer(appViewerHost());
        viewer.loadFile(output);
        const QString folder = dir.filePath(QStringLiteral("replaced"));
        QVERIFY(QDir().mkpath(folder));
        for (const QString& form : {QStringLiteral("png"), QStringLiteral("svg"), QStringLiteral("pdf")}) {
            const QString name = QStringLiteral("view.") + form;
            const QString image = folder + QLatin1Char('/') + name;
            writeAll(image, "the previous image\n");
            viewer.exportImage(image, QSize(320, 240));
            QVERIFY(readAll(image).size() > 1000);
            QCOMPARE(namesIn(folder), QStringList{name});
            QVERIFY(QFile::remove(image));

            // Where no temporary can be made, the error names the image and the reason.
            const QString nowhere = dir.filePath(QStringLiteral("missing/")) + name;
            try {
                viewer.exportImage(nowhere, QSize(320, 240));
                QFAIL("an export into a missing folder succeeded");
            } catch (const std::runtime_error& error) {
                QCOMPARE(QString::fromLocal8Bit(error.what()),
                         QStringLiteral("Cannot write \"%1\": No such file or directory").arg(nowhere));
            }
        }
    }

    // A spectrum read again after the file shrank fails inside the stepper's
    // handler: the program's error box tells it and the window goes on.
    void aFileThatShrinksUnderTheViewerIsToldInTheProgramsErrorBox()
    {
        const QString shrinking = dir.filePath(QStringLiteral("SHRINKS.DAT"));
        const QByteArray text = outputText();
        writeAll(shrinking, text);
        TFrmViewer viewer(appViewerHost());
        viewer.loadFile(shrinking);
        const qsizetype tenthSpectrum = text.indexOf("\r\n9,");
        QVERIFY(tenthSpectrum > 0);
        writeAll(shrinking, text.left(tenthSpectrum + 2));
        boxes.clear();
        viewer.stepper()->setValue(200);
        QCOMPARE(boxes.calls.size(), 1);
        QCOMPARE(boxes.calls.front().kind, DialogCall::Error);
        QCOMPARE(boxes.calls.front().text, shrinking + QStringLiteral(" changed since it was opened"));
        QCOMPARE(boxes.calls.front().caption, QStringLiteral("Orvantis"));

        boxes.clear();
        viewer.stepper()->setValue(5);
        QCOMPARE(viewer.currentSpectrum(), std::size_t{5});
        QVERIFY(boxes.calls.isEmpty());
    }

    void anInputThatIsNoRegularFileIsRefusedAtOnce()
    {
        const QString image = dir.filePath(QStringLiteral("never.png"));
        for (const auto& [input, kind] : irregularInputs()) {
            const QString refusal = QStringLiteral("Cannot open \"%1\": it is not a regular file").arg(input);
            const Run run = plot(input, image);
            QVERIFY2(run.exitCode == 1, qPrintable(kind));
            QVERIFY2(run.error.contains(refusal), qPrintable(run.error));
            QVERIFY2(!QFile::exists(image), qPrintable(kind));

            TFrmViewer viewer(appViewerHost());
            viewer.loadFile(output);
            boxes.clear();
            boxes.fileAnswers << QStringList{input};
            QAction* open = menuAction(viewer, QStringLiteral("&Open..."));
            QVERIFY(open);
            open->trigger();
            QCOMPARE(boxes.texts(DialogCall::Error), QStringList{refusal});
            QCOMPARE(QString::fromStdString(viewer.overview()->path), output);

            boxes.clear();
            openViewers(appViewerHost(), {input});
            QCOMPARE(boxes.texts(DialogCall::Error), QStringList{refusal});
            for (QWidget* window : QApplication::topLevelWidgets())
                if (qobject_cast<TFrmViewer*>(window))
                    window->close(); // deleted on close
        }
    }
};

QTEST_MAIN(ViewerFaultTest)
#include "viewer_fault_test.moc"
