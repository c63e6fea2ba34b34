#include "app_test_support.h"
#include "private_store.h"

#include "app/error_display.h"
#include "app/settings_store.h"
#include "app/frm_message.h"
#include "app/forms.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QTest>

TestEnvironment::TestEnvironment()
{
    QVERIFY2(root.isValid(), "no temporary folder");
    QDir(root.path()).mkpath(QStringLiteral("files"));
    usePrivateStore(root.path());
    setDialogs(&boxes);
}

TestEnvironment::~TestEnvironment()
{
    setDialogs(nullptr);
}

QString TestEnvironment::dataFolder() const
{
    return root.filePath(QStringLiteral("files"));
}

QString TestEnvironment::copyExample(const QString& name) const
{
    const QString target = dataFolder() + QLatin1Char('/') + name;
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(ORVANTIS_EXAMPLES "/") + name, target))
        qFatal("cannot copy example %s", qPrintable(name));
    QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QString TestEnvironment::writeFile(const QString& name, const QByteArray& content) const
{
    const QString target = dataFolder() + QLatin1Char('/') + name;
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(target));
    return target;
}

WindowsUnderTest::WindowsUnderTest(const QStringList& commandLineFiles)
{
    createWindows(commandLineFiles);
}

WindowsUnderTest::~WindowsUnderTest()
{
    destroyWindows();
}

QByteArray repeatedExample(int copies)
{
    QFile example(QStringLiteral(ORVANTIS_EXAMPLES "/SET0101A.ASC"));
    if (!example.open(QIODevice::ReadOnly))
        qFatal("cannot read the example");
    const QList<QByteArray> lines = example.readAll().split('\n');
    QByteArray text = lines.mid(0, 4).join('\n') + '\n';
    for (int copy = 0; copy < copies; ++copy)
        text += lines.mid(4).join('\n');
    return text;
}

QString messageLog()
{
    return FrmMessage->Memo1->toPlainText();
}

int countInLog(const QString& text)
{
    return static_cast<int>(messageLog().count(text));
}

void storeSetting(const char* name, int32_t number)
{
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    QVERIFY(reg.OpenPath(SettingsKey, true));
    reg.WriteNumber(name, number);
}

void storeSettingText(const char* name, const QString& text)
{
    TRegDef reg;
    reg.SelectRoot(HKEY_CURRENT_USER);
    QVERIFY(reg.OpenPath(SettingsKey, true));
    reg.WriteText(name, text.toStdString());
}

QString storedCalFile(const QString& serial)
{
    return QString::fromStdString(lookupCalFile(serial.toStdString()));
}

void storeAssociation(const QString& serial, const QString& calFile)
{
    storeCalFile(serial.toStdString(), calFile.toStdString());
}

void WindowTestCase::init()
{
    env = std::make_unique<TestEnvironment>();
    prepare();
    windows = std::make_unique<WindowsUnderTest>();
}

void WindowTestCase::cleanup()
{
    windows.reset();
    env.reset();
}
