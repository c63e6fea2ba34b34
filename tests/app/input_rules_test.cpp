// The small rules behind the input list and the delimiter fields: companion
// channel files, sorting, and how "Other" delimiters are read.

#include "app_test_support.h"

#include "app/companion_files.h"
#include "app/delimiter_rules.h"
#include "app/frm_main.h"
#include "app/forms.h"

#include <QCheckBox>
#include <QDir>
#include <QTest>

#include <memory>

class InputRulesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> env;

    QString touch(const QString& name) { return env->writeFile(name, "x"); }

private slots:
    void init() { env = std::make_unique<TestEnvironment>(); }
    void cleanup() { env.reset(); }

    void otherCode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("delimiter");
        QTest::newRow("decimal") << "35" << int('#');
        QTest::newRow("letters") << "abc" << int(' ');
        QTest::newRow("trailing blank") << "35 " << int(' ');
        QTest::newRow("leading blanks") << "  44" << int(',');
        QTest::newRow("low byte") << "300" << int(',');
        QTest::newRow("dollar hex") << "$2C" << int(',');
        QTest::newRow("0x hex") << "0x2c" << int(',');
        QTest::newRow("x hex") << "X2C" << int(',');
        QTest::newRow("minus one") << "-1" << 255;
        QTest::newRow("plus sign") << "+9" << int('\t');
        QTest::newRow("empty") << "" << int(' ');
        QTest::newRow("sign only") << "-" << int(' ');
        QTest::newRow("hex prefix only") << "$" << int(' ');
        QTest::newRow("beyond 32 bits") << "2147483648" << int(' ');
        QTest::newRow("lowest 32 bits") << "-2147483648" << 0;
        QTest::newRow("full hex word") << "$FFFFFF41" << int('A');
    }
    void otherCode()
    {
        QFETCH(QString, text);
        QFETCH(int, delimiter);
        QCOMPARE(int(static_cast<unsigned char>(delimiterFromCode(text))), delimiter);
    }

    void otherChar()
    {
        QCOMPARE(delimiterFromChar(QString()), ' ');
        QCOMPARE(delimiterFromChar(QStringLiteral("ab")), 'a');
        QCOMPARE(delimiterFromChar(QStringLiteral(";")), ';');
    }

    void companionsAreAddedAndSorted()
    {
        const QString c = touch(QStringLiteral("SET0102C.BIN"));
        const QString a = touch(QStringLiteral("SET0102A.BIN"));
        const QString b = touch(QStringLiteral("SET0102B.BIN"));
        const QString d = touch(QStringLiteral("SET0102D.BIN"));
        touch(QStringLiteral("SET0102Z.BIN"));
        touch(QStringLiteral("SET0103A.BIN"));
        touch(QStringLiteral("SET0102A.ASC"));
        QStringList lines{c};
        addCompanionFiles(lines);
        QCOMPARE(lines, (QStringList{c, a, b, d}));
        sortFileList(lines);
        QCOMPARE(lines, (QStringList{a, b, c, d}));
    }

    void companionAlreadyListedInOtherCaseIsNotAddedAgain()
    {
        const QString a = touch(QStringLiteral("RUN5A1.ASC"));
        const QString b = touch(QStringLiteral("RUN5B1.ASC"));
        const QString lowerA = a.left(a.size() - 10) + QStringLiteral("run5a1.asc");
        QStringList lines{lowerA, b};
        addCompanionFiles(lines);
        QCOMPARE(lines, (QStringList{lowerA, b}));
    }

    void trailingDigitFollowsTheChannelLetter()
    {
        const QString b = touch(QStringLiteral("RUN5B1.ASC"));
        const QString c = touch(QStringLiteral("RUN5C1.ASC"));
        touch(QStringLiteral("RUN5C.ASC"));
        QStringList lines{b};
        addCompanionFiles(lines);
        QCOMPARE(lines, (QStringList{b, c}));
    }

    void nameWithoutChannelLetterUsesItsLastCharacter()
    {
        const QString data = touch(QStringLiteral("DATA.BIN"));
        const QString datb = touch(QStringLiteral("DATB.BIN"));
        QStringList lines{data};
        addCompanionFiles(lines);
        QCOMPARE(lines, (QStringList{data, datb}));
    }

    void sortingIgnoresCase()
    {
        QStringList lines{QStringLiteral("b.asc"), QStringLiteral("A.ASC"), QStringLiteral("a.bin")};
        sortFileList(lines);
        QCOMPARE(lines, (QStringList{QStringLiteral("A.ASC"), QStringLiteral("a.bin"), QStringLiteral("b.asc")}));
    }

    void openButtonReplacesListAndExpandsOnlyWhenAsked()
    {
        const QString b = touch(QStringLiteral("SET0102B.BIN"));
        const QString a = touch(QStringLiteral("SET0102A.BIN"));
        const QString other = touch(QStringLiteral("OTHER1C.ASC"));
        WindowsUnderTest windows;
        FrmMain->setFileLines({QStringLiteral("old line")});
        FrmMain->CbAutoInclude->setChecked(false);
        env->boxes.fileAnswers.append({other, b});
        FrmMain->BtnOpenInFileClick(nullptr);
        // Chosen names are listed as the system writes them ('\\' on Windows).
        const auto native = [](const QString& name) { return QDir::toNativeSeparators(name); };
        QCOMPARE(FrmMain->fileLines(), (QStringList{native(other), native(b)}));
        QVERIFY(env->boxes.calls.first().multiple);
        QCOMPARE(env->boxes.calls.first().caption, QStringLiteral("Open Data Files"));
        QVERIFY(env->boxes.calls.first().filter.startsWith(QStringLiteral("Tidelume data files (*.ASC *.BIN")));

        FrmMain->CbAutoInclude->setChecked(true);
        env->boxes.fileAnswers.append({other, b});
        FrmMain->BtnOpenInFileClick(nullptr);
        QCOMPARE(FrmMain->fileLines(), (QStringList{native(other), native(a), native(b)}));

        FrmMain->BtnOpenInFileClick(nullptr); // cancelled
        QCOMPARE(FrmMain->fileLines(), (QStringList{native(other), native(a), native(b)}));
    }
};

QTEST_MAIN(InputRulesTest)
#include "input_rules_test.moc"
