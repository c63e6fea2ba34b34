// The "Associate ASC Files" and "Associate BIN Files" questions and what they
// leave in a private desktop.

#include "app_test_support.h"

#include "app/frm_main.h"
#include "app/forms.h"
#include "desktop/desktop_file_types.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QString AscCaption = QStringLiteral("Associate \".ASC\" Extension");
const QString AscQuestion = QStringLiteral(
    "Do you want to associate files ending with \".ASC\" with this program (so that double-clicking on these "
    "files in Explorer will automatically launch this program)?");

// Every file below the private desktop's two homes, with its content.
QMap<QString, QByteArray> desktopSnapshot()
{
    QMap<QString, QByteArray> files;
    for (const char* variable : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
        QDirIterator it(qEnvironmentVariable(variable), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.fileName().contains(QStringLiteral("Orvantis/store")))
                continue; // the settings store is not the desktop's
            file.open(QIODevice::ReadOnly);
            files.insert(file.fileName(), file.readAll());
        }
    }
    return files;
}

} // namespace

class FileTypeTest : public WindowTestCase {
    Q_OBJECT

private slots:
    void noToFirstQuestionChangesNothing()
    {
        const auto before = desktopSnapshot();
        FrmMain->BtnAssociateASCFiles->click();
        QCOMPARE(env->boxes.calls.size(), 1);
        QCOMPARE(env->boxes.calls.first().text, AscQuestion);
        QCOMPARE(env->boxes.calls.first().caption, AscCaption);
        QCOMPARE(desktopSnapshot(), before);
    }

    void yesRegistersAndSecondPressNamesOwnType()
    {
        const std::string before = currentFileType(".ASC");
        env->boxes.yesNoAnswers = {true, true};
        FrmMain->BtnAssociateASCFiles->click();
        QCOMPARE(env->boxes.texts(DialogCall::Error), QStringList());
        const QString registered = QString::fromStdString(currentFileType(".ASC"));
        QCOMPARE(registered, QStringLiteral("application/x-tidelume.asc"));
        const QStringList questions = env->boxes.texts(DialogCall::YesNo);
        // The first press asks a second time only when the desktop already
        // knew a type for the extension.
        QCOMPARE(questions.size(), before.empty() ? 1 : 2);

        env->boxes.clear();
        env->boxes.yesNoAnswers = {true, false};
        const auto registeredFiles = desktopSnapshot();
        FrmMain->BtnAssociateASCFiles->click();
        QCOMPARE(env->boxes.texts(DialogCall::YesNo),
                 (QStringList{AscQuestion, QStringLiteral(".ASC is already associated with ") + registered +
                                               QStringLiteral(". Do you want to change it?")}));
        QCOMPARE(env->boxes.calls.at(1).caption, AscCaption);
        QCOMPARE(desktopSnapshot(), registeredFiles);
    }

    void binButtonUsesItsOwnTexts()
    {
        env->boxes.yesNoAnswers = {false};
        FrmMain->BtnAssociateBINFiles->click();
        QCOMPARE(env->boxes.calls.first().caption, QStringLiteral("Associate \".BIN\" Extension"));
        QVERIFY(env->boxes.calls.first().text.contains(QStringLiteral("ending with \".BIN\" with this program")));
    }

    void registrationNamesTheRunningProgram()
    {
        env->boxes.yesNoAnswers = {true, true};
        FrmMain->BtnAssociateBINFiles->click();
        bool named = false;
        const auto files = desktopSnapshot();
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            named = named || it.value().contains(QCoreApplication::applicationFilePath().toUtf8());
        QVERIFY2(named, "no desktop file names the program");
        QCOMPARE(QString::fromStdString(currentFileType(".BIN")), QStringLiteral("application/x-tidelume.bin"));
    }
};

QTEST_MAIN(FileTypeTest)
#include "file_type_test.moc"
