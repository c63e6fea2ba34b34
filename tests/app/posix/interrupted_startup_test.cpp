// The program stopped by a signal while it converts a data file named on its
// command line: the temporary goes, the previous output stays, and the
// program ends by that signal.

#include "app_test_support.h"
#include "held_processes.h"
#include "program_environment.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <vector>

namespace {

// The example's header and its rows many times over: long enough that its
// conversion is still under way when the test holds the program still.
QByteArray longDataFile()
{
    QFile example(QStringLiteral(ORVANTIS_EXAMPLES "/SET0101A.ASC"));
    if (!example.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = example.readAll().split('\n');
    QByteArray text;
    for (qsizetype i = 0; i < 4; ++i)
        text += lines[i] + '\n';
    for (int repeat = 0; repeat < 1000; ++repeat)
        for (qsizetype i = 4; i < lines.size(); ++i)
            if (!lines[i].isEmpty())
                text += lines[i] + '\n';
    return text;
}

QStringList temporariesIn(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
}

// Starts the program on the file, its environment made before the fork.
pid_t startProgram(const QString& dataFile)
{
    const QStringList variables = displayedProgramEnvironment().toStringList();
    std::vector<QByteArray> texts;
    for (const QString& variable : variables)
        texts.push_back(variable.toLocal8Bit());
    std::vector<char*> environment;
    for (QByteArray& text : texts)
        environment.push_back(text.data());
    environment.push_back(nullptr);
    QByteArray file = dataFile.toLocal8Bit();
    char* arguments[] = {const_cast<char*>(ORVANTIS_PROGRAM), file.data(), nullptr};
    const pid_t program = fork();
    if (program == 0) {
        execve(ORVANTIS_PROGRAM, arguments, environment.data());
        _exit(127);
    }
    return program;
}

} // namespace

class InterruptedStartupTest : public QObject {
    Q_OBJECT

private slots:
    void stoppedStartupConversionLeavesNoTemporary()
    {
        for (const int stop : {SIGTERM, SIGINT, SIGHUP}) {
            const TestEnvironment env;
            storeAssociation(QStringLiteral("TDL0417"), env.copyExample(QStringLiteral("EXAMPLE.CAL")));
            const QString data = env.writeFile(QStringLiteral("LONG.ASC"), longDataFile());
            const QString previous = env.writeFile(QStringLiteral("LONG.DAT"), "a previous output\n");

            FolderWatch watch(env.dataFolder().toStdString());
            const pid_t program = startProgram(data);
            QVERIFY(program > 0);
            QVERIFY(watch.waitForCreated(".part", 1));
            int waitStatus = 0;
            kill(program, SIGSTOP);
            QCOMPARE(waitpid(program, &waitStatus, WUNTRACED), program);
            QVERIFY2(!temporariesIn(env.dataFolder()).isEmpty(), "the conversion was over before the stop");

            kill(program, stop);
            kill(program, SIGCONT);
            QCOMPARE(waitpid(program, &waitStatus, 0), program);
            QVERIFY2(WIFSIGNALED(waitStatus) && WTERMSIG(waitStatus) == stop, strsignal(stop));
            QCOMPARE(temporariesIn(env.dataFolder()), QStringList());
            QFile output(previous);
            QVERIFY(output.open(QIODevice::ReadOnly));
            QCOMPARE(output.readAll(), QByteArray("a previous output\n"));
        }
    }
};

QTEST_MAIN(InterruptedStartupTest)
#include "interrupted_startup_test.moc"
