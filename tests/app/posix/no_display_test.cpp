// The program started where no display is available at all.

#include <QProcess>
#include <QTest>

class NoDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void pointsToTheHeadlessConverter()
    {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            variables.remove(QString::fromLatin1(name));
        QProcess process;
        process.setProcessEnvironment(variables);
        process.start(QStringLiteral(ORVANTIS_PROGRAM), {});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(QString::fromLocal8Bit(process.readAllStandardError())
                    .contains(QStringLiteral("orvantis-cli --cal CALFILE DATAFILE...")));
    }
};

QTEST_MAIN(NoDisplayTest)
#include "no_display_test.moc"
