// A store that cannot be used, as the windows meet it: one error box per run
// naming the store file, and the run goes on with what it can read.

#include "app_test_support.h"

#include "app/frm_change_cal.h"
#include "app/frm_main.h"
#include "app/forms.h"
#include "store/key_store.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <memory>

namespace {

QString storeFile()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Orvantis/store.sqlite");
}

// Opens the associations window and presses OK; true when the window stayed
// open, as it does after a failed write (it is then cancelled).
bool pressOkThenCancelIfOpen()
{
    bool stayedOpen = false;
    QTimer::singleShot(0, FrmChangeCal, [&] {
        FrmChangeCal->BtnOK->click();
        stayedOpen = FrmChangeCal->isVisible();
        if (stayedOpen)
            FrmChangeCal->BtnCancel->click();
    });
    FrmChangeCal->exec();
    return stayedOpen;
}

} // namespace

class StoreFaultTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;
    QString calFile, dataFile;

    void convertDataFile() const
    {
        FrmMain->setFileLines({dataFile});
        FrmMain->BtnDoCal->click();
        QVERIFY(QFileInfo::exists(dataFile.left(dataFile.size() - 3) + QStringLiteral("DAT")));
    }

    void expectToldOnce(const QString& condition) const
    {
        const QStringList told = env->boxes.texts(DialogCall::Error);
        QCOMPARE(told.size(), 1);
        QCOMPARE(told.first().left(told.first().indexOf(QLatin1Char('('))),
                 QStringLiteral("The store ") + storeFile() + QLatin1Char(' ') + condition + QLatin1Char(' '));
        QVERIFY(told.first().endsWith(
            QStringLiteral("Settings and associations cannot be saved; Orvantis goes on with what it can read.")));
    }

private slots:
    void initTestCase() { setUserStoreBusyTimeout(std::chrono::milliseconds(300)); }
    void init()
    {
        env = std::make_unique<TestEnvironment>();
        calFile = env->copyExample(QStringLiteral("EXAMPLE.CAL"));
        dataFile = env->copyExample(QStringLiteral("SET0101A.ASC"));
    }
    void cleanup() { env.reset(); }

    void unobtainableKeyGivesOtherDefaults()
    {
        // A folder where the store's file should be: nothing can be opened.
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).mkpath(QStringLiteral("Orvantis/store.sqlite"));
        WindowsUnderTest windows;
        QVERIFY(!FrmMain->CbTranspose->isChecked());
        QVERIFY(FrmMain->CbAutoInclude->isChecked());
        QVERIFY(FrmMain->RbFullCal->isChecked());
        QCOMPARE(FrmMain->EdOtherCode->text(), QStringLiteral("32"));
        QCOMPARE(FrmMain->pos(), QPoint(113, 134));
    }

    void damagedStoreIsToldOnceAndConversionsGoOn()
    {
        const QByteArray damaged(5000, '\x5A');
        QDir().mkpath(QFileInfo(storeFile()).path());
        QFile file(storeFile());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(damaged) == damaged.size());
        file.close();
        WindowsUnderTest windows;
        QVERIFY(!FrmMain->CbTranspose->isChecked()); // the defaults of a store that cannot be read
        env->boxes.fileAnswers.append({calFile});
        convertDataFile(); // no association can be read: the user is asked
        QCOMPARE(env->boxes.texts(DialogCall::Information).size(), 1);
        QVERIFY(!pressOkThenCancelIfOpen()); // nothing listed, nothing to write
        FrmMain->close();
        expectToldOnce(QStringLiteral("is damaged"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), damaged);
    }

    void busyStoreIsReadAndItsFailedWritesAreToldOnce()
    {
        storeAssociation(QStringLiteral("TDL0417"), calFile);
        storeSetting("CalType", 2);
        sqlite3* connection = nullptr; // another connection, holding the write lock
        sqlite3_open(QFile::encodeName(storeFile()).constData(), &connection);
        const std::unique_ptr<sqlite3, int (*)(sqlite3*)> writer(connection, sqlite3_close);
        QCOMPARE(sqlite3_exec(writer.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        WindowsUnderTest windows;
        QVERIFY(FrmMain->RbDarkAdjust->isChecked()); // reading goes on beside a writer
        convertDataFile();
        QVERIFY(env->boxes.calls.isEmpty());
        QVERIFY(pressOkThenCancelIfOpen()); // OK writes the listed association back
        FrmMain->close();
        expectToldOnce(QStringLiteral("is busy: another program kept it locked for writing"));
    }
};

QTEST_MAIN(StoreFaultTest)
#include "store_fault_test.moc"
