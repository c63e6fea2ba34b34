// The program itself, started as the desktop starts it: data files on the
// command line are converted with the stored settings and the program ends.

#include "app_test_support.h"
#include "program_environment.h"

#include "app/settings_store.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <memory>

class StartupRunTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

    static QProcess* start(QProcess& process, const QStringList& arguments)
    {
        process.setProcessEnvironment(displayedProgramEnvironment());
        process.start(QStringLiteral(ORVANTIS_PROGRAM), arguments);
        return &process;
    }

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() { env.reset(); }

    void convertsCommandLineFilesWithCompanionsAndEnds()
    {
        // Data in a folder whose name has blanks and letters beyond ASCII.
        const QString folder = env->dataFolder() + QStringLiteral("/S\u00e9ance \u03a9");
        QVERIFY(QDir().mkpath(folder));
        for (const QString& name : {QStringLiteral("SET0101A.ASC"), QStringLiteral("SET0101B.ASC")})
            QVERIFY(QFile::rename(env->copyExample(name), folder + QLatin1Char('/') + name));
        const QString fileA = folder + QStringLiteral("/SET0101A.ASC");
        storeAssociation(QStringLiteral("TDL0417"), env->copyExample(QStringLiteral("EXAMPLE.CAL")));
        storeSetting("Transpose", 0);
        storeSetting("CalType", 4);
        QProcess process;
        start(process, {fileA});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/SET0101A.DAT")));
        QVERIFY(QFileInfo::exists(folder + QStringLiteral("/SET0101B.DAT")));
        // Closing saved the settings it read, position included.
        TRegDef reg;
        reg.SelectRoot(HKEY_CURRENT_USER);
        QVERIFY(reg.OpenPath(SettingsKey, false));
        QCOMPARE(reg.ReadNumberOr("Top", -1), 4);
        QCOMPARE(reg.ReadFlagOr("Transpose", true), false);
    }

    void withoutAutoIncludeOnlyNamedFilesAreConverted()
    {
        const QString cal = env->copyExample(QStringLiteral("EXAMPLE.CAL"));
        const QString fileA = env->copyExample(QStringLiteral("SET0101A.ASC"));
        env->copyExample(QStringLiteral("SET0101B.ASC"));
        storeAssociation(QStringLiteral("TDL0417"), cal);
        storeSetting("AutoInclude", 0);
        QProcess process;
        start(process, {fileA});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(QFileInfo::exists(env->dataFolder() + QStringLiteral("/SET0101A.DAT")));
        QVERIFY(!QFileInfo::exists(env->dataFolder() + QStringLiteral("/SET0101B.DAT")));
    }
};

QTEST_MAIN(StartupRunTest)
#include "startup_run_test.moc"
