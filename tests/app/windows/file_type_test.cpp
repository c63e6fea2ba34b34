// The "Associate ASC Files" and "Associate BIN Files" questions and what they
// leave in the user's own classes of the registry.

#include "app_test_support.h"

#include "app/frm_main.h"
#include "app/forms.h"

#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QTest>

#include <windows.h>

namespace {

const QString AscCaption = QStringLiteral("Associate \".ASC\" Extension");
const QString AscQuestion = QStringLiteral(
    "Do you want to associate files ending with \".ASC\" with this program (so that double-clicking on these "
    "files in Explorer will automatically launch this program)?");

// The default value of a key below HKEY_CURRENT_USER\Software\Classes.
QString classDefault(const QString& key)
{
    wchar_t text[512] = {};
    DWORD size = sizeof(text);
    const std::wstring path = (QStringLiteral("Software\\Classes\\") + key).toStdWString();
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return QStringLiteral("<absent>");
    return QString::fromWCharArray(text);
}

// The four entries of one extension.
QStringList entriesOf(const QString& extension, const QString& typeName)
{
    return {classDefault(extension), classDefault(typeName), classDefault(typeName + QStringLiteral("\\DefaultIcon")),
            classDefault(typeName + QStringLiteral("\\shell\\open\\command"))};
}

QString program()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

} // namespace

class FileTypeTest : public WindowTestCase {
    Q_OBJECT

private slots:
    void noToFirstQuestionChangesNothing()
    {
        FrmMain->BtnAssociateASCFiles->click();
        QCOMPARE(env->boxes.calls.size(), 1);
        QCOMPARE(env->boxes.calls.first().text, AscQuestion);
        QCOMPARE(env->boxes.calls.first().caption, AscCaption);
        const QString absent = QStringLiteral("<absent>");
        QCOMPARE(entriesOf(QStringLiteral(".ASC"), QStringLiteral("Tidelume.ASC")),
                 (QStringList{absent, absent, absent, absent}));
    }

    void yesRegistersAndSecondPressNamesOwnType()
    {
        env->boxes.yesNoAnswers = {true};
        FrmMain->BtnAssociateASCFiles->click();
        QCOMPARE(env->boxes.texts(DialogCall::Error), QStringList());
        QCOMPARE(env->boxes.texts(DialogCall::YesNo), QStringList{AscQuestion});
        const QStringList registered = entriesOf(QStringLiteral(".ASC"), QStringLiteral("Tidelume.ASC"));
        QCOMPARE(registered, (QStringList{QStringLiteral("Tidelume.ASC"), QStringLiteral("Tidelume Ascii Files"),
                                          program() + QStringLiteral(",1"),
                                          QLatin1Char('"') + program() + QStringLiteral("\" \"%1\"")}));

        env->boxes.clear();
        env->boxes.yesNoAnswers = {true, false};
        FrmMain->BtnAssociateASCFiles->click();
        QCOMPARE(
            env->boxes.texts(DialogCall::YesNo),
            (QStringList{AscQuestion,
                         QStringLiteral(".ASC is already associated with Tidelume.ASC. Do you want to change it?")}));
        QCOMPARE(env->boxes.calls.at(1).caption, AscCaption);
        QCOMPARE(entriesOf(QStringLiteral(".ASC"), QStringLiteral("Tidelume.ASC")), registered);
    }

    void binButtonRegistersItsOwnType()
    {
        env->boxes.yesNoAnswers = {true};
        FrmMain->BtnAssociateBINFiles->click();
        QCOMPARE(env->boxes.calls.first().caption, QStringLiteral("Associate \".BIN\" Extension"));
        QCOMPARE(entriesOf(QStringLiteral(".BIN"), QStringLiteral("Tidelume.BIN")).mid(0, 2),
                 (QStringList{QStringLiteral("Tidelume.BIN"), QStringLiteral("Tidelume Binary Files")}));
        QCOMPARE(classDefault(QStringLiteral(".ASC")), QStringLiteral("<absent>"));
    }
};

QTEST_MAIN(FileTypeTest)
#include "file_type_test.moc"
