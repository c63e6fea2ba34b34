#pragma once
// What the window tests share: a private store and desktop per test, the
// scripted dialogs, the example data and the program's windows.

#include "scripted_dialogs.h"

#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// Gives a test its own XDG_CONFIG_HOME and XDG_DATA_HOME (and so its own
// store) and a folder for data files, and installs scripted dialogs.
class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();

    QString dataFolder() const;
    // Copies an example data or calibration file into the data folder.
    QString copyExample(const QString& name) const;
    QString writeFile(const QString& name, const QByteArray& content) const;

    ScriptedDialogs boxes;

private:
    QTemporaryDir root;
};

// Creates the four windows (as at start-up, without command-line files) for
// the environment's lifetime and releases them afterwards.
class WindowsUnderTest {
public:
    explicit WindowsUnderTest(const QStringList& commandLineFiles = {});
    ~WindowsUnderTest();
};

// Base of the window tests: a fresh environment and fresh windows for every
// test function (QtTest runs these init and cleanup slots for the derived
// class). prepare() adds files to the environment before the windows exist.
class WindowTestCase : public QObject {
    Q_OBJECT
protected:
    std::unique_ptr<TestEnvironment> env;
    std::unique_ptr<WindowsUnderTest> windows;
    virtual void prepare() {}

private slots:
    void init();
    void cleanup();
};

// The header of the example SET0101A.ASC and its twelve spectra `copies`
// times: 12 * copies spectra, a progress report every 64 of them.
QByteArray repeatedExample(int copies);

// The text of the message window's memo.
QString messageLog();
// How often the memo holds the text.
int countInLog(const QString& text);

// Store helpers.
void storeSetting(const char* name, int32_t number);
void storeSettingText(const char* name, const QString& text);
QString storedCalFile(const QString& serial);
void storeAssociation(const QString& serial, const QString& calFile);
