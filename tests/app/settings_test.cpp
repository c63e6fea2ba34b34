// The main window's settings: defaults on a fresh store, odd stored values,
// and the round trip through closing and starting again.

#include "app_test_support.h"

#include "app/frm_main.h"
#include "app/settings_store.h"
#include "app/forms.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <memory>

class SettingsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

    static int32_t storedNumber(const char* name)
    {
        TRegDef reg;
        reg.SelectRoot(HKEY_CURRENT_USER);
        reg.OpenPath(SettingsKey, false);
        return reg.ReadNumberOr(name, -999);
    }

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() { env.reset(); }

    void freshStoreGivesFirstStartDefaults()
    {
        WindowsUnderTest windows;
        QVERIFY(FrmMain->CbAutoInclude->isChecked());
        QVERIFY(FrmMain->RbFullCal->isChecked());
        QVERIFY(FrmMain->RbComma->isChecked());
        QCOMPARE(FrmMain->EdOtherChar->text(), QStringLiteral(","));
        QCOMPARE(FrmMain->EdOtherCode->text(), QStringLiteral("32"));
        QVERIFY(FrmMain->CbTranspose->isChecked());
        QVERIFY(!FrmMain->CbBinary->isChecked());
        QVERIFY(!FrmMain->CbShowDebug->isChecked());
        QVERIFY(!FrmMain->CbIgnoreImmersion->isChecked());
        QCOMPARE(FrmMain->pos(), QPoint(4, 4));
        QVERIFY(FrmMain->LogEnabled);
    }

    void outOfRangeCodesSelectLastButtons_data()
    {
        QTest::addColumn<int>("calType");
        QTest::addColumn<int>("delimitMode");
        QTest::newRow("7 and 5") << 7 << 5;
        QTest::newRow("-1 and -1") << -1 << -1;
    }
    void outOfRangeCodesSelectLastButtons()
    {
        QFETCH(int, calType);
        QFETCH(int, delimitMode);
        storeSetting("CalType", calType);
        storeSetting("DelimitMode", delimitMode);
        WindowsUnderTest windows;
        QVERIFY(FrmMain->RbFullCal->isChecked());
        QVERIFY(FrmMain->RbOtherCode->isChecked());
        QVERIFY(!FrmMain->RbRaw->isChecked());
        QVERIFY(!FrmMain->RbComma->isChecked());
    }

    void storedValuesAreShownAsStored()
    {
        storeSetting("AutoInclude", 0);
        storeSetting("CalType", 2);
        storeSetting("DelimitMode", 3);
        storeSettingText("DelimitChar", QString());
        storeSettingText("DelimitCode", QStringLiteral("abc"));
        storeSetting("Binary", 2);
        storeSetting("Debug", 1);
        storeSetting("Top", 50);
        storeSetting("Left", 70);
        storeSettingText("Transpose", QStringLiteral("1")); // wrong kind: default
        WindowsUnderTest windows;
        QVERIFY(!FrmMain->CbAutoInclude->isChecked());
        QVERIFY(FrmMain->RbDarkAdjust->isChecked());
        QVERIFY(FrmMain->RbOtherChar->isChecked());
        QCOMPARE(FrmMain->EdOtherChar->text(), QString());
        QCOMPARE(FrmMain->EdOtherCode->text(), QStringLiteral("abc"));
        QVERIFY(FrmMain->CbBinary->isChecked());
        QVERIFY(FrmMain->CbShowDebug->isChecked());
        QVERIFY(FrmMain->CbTranspose->isChecked());
        QCOMPARE(FrmMain->pos(), QPoint(70, 50));
    }

    void closingSavesAndNextStartRestores()
    {
        {
            WindowsUnderTest windows;
            FrmMain->RbNormTime->setChecked(true);
            FrmMain->RbTab->setChecked(true);
            FrmMain->EdOtherChar->setText(QStringLiteral("ab"));
            FrmMain->EdOtherCode->setText(QStringLiteral("$2C"));
            FrmMain->CbTranspose->setChecked(false);
            FrmMain->CbBinary->setChecked(true);
            FrmMain->CbIgnoreImmersion->setChecked(true);
            FrmMain->move(40, 50);
            FrmMain->close();
        }
        QCOMPARE(storedNumber("CalType"), 3);
        QCOMPARE(storedNumber("DelimitMode"), 2);
        QCOMPARE(storedNumber("Transpose"), 0);
        QCOMPARE(storedNumber("Binary"), 1);
        QCOMPARE(storedNumber("Top"), 50);
        QCOMPARE(storedNumber("Left"), 40);
        WindowsUnderTest windows;
        QVERIFY(FrmMain->RbNormTime->isChecked());
        QVERIFY(FrmMain->RbTab->isChecked());
        QCOMPARE(FrmMain->EdOtherChar->text(), QStringLiteral("ab"));
        QCOMPARE(FrmMain->EdOtherCode->text(), QStringLiteral("$2C"));
        QVERIFY(!FrmMain->CbTranspose->isChecked());
        QVERIFY(FrmMain->CbBinary->isChecked());
        QVERIFY(!FrmMain->CbIgnoreImmersion->isChecked());
        QCOMPARE(FrmMain->pos(), QPoint(40, 50));
    }

    void binaryOutputDisablesTextControls()
    {
        storeSetting("Binary", 1);
        WindowsUnderTest windows;
        const QList<QWidget*> textControls{FrmMain->CbTranspose, FrmMain->RbComma,     FrmMain->RbSpace,
                                           FrmMain->RbTab,       FrmMain->RbOtherChar, FrmMain->EdOtherChar,
                                           FrmMain->RbOtherCode, FrmMain->EdOtherCode};
        for (QWidget* control : textControls)
            QVERIFY(!control->isEnabled());
        QVERIFY(FrmMain->LbDelimiter->isEnabled());
        QVERIFY(FrmMain->CbBinary->isEnabled());
        FrmMain->EdOtherCode->setText(QStringLiteral("9"));
        QTest::mouseClick(FrmMain->CbBinary, Qt::LeftButton);
        for (QWidget* control : textControls)
            QVERIFY(control->isEnabled());
        QCOMPARE(FrmMain->EdOtherCode->text(), QStringLiteral("9"));
        QVERIFY(FrmMain->RbComma->isChecked());
    }
};

QTEST_MAIN(SettingsTest)
#include "settings_test.moc"
