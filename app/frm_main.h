#pragma once
// The main window: the input file list, the processing options and the
// command buttons.

#include "app/window_conversions.h"
#include "app/open_dialog.h"
#include "app/settings_store.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

class TFrmMain : public QWidget {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate, which converts commandLineFiles
    // at once when there are any.
    explicit TFrmMain(const QStringList& commandLineFiles, QWidget* parent = nullptr);

    QLabel* LbInFile;
    TOpenDialog OpenDialog1{true};
    // Chooses an instrument's calibration file; it starts without a file
    // name, so that Enter cannot pick the data file by mistake.
    TOpenDialog CalOpenDialog{false};
    QPushButton* BtnOpenInFile;
    QPushButton* BtnDoCal;
    QPlainTextEdit* MemoFile;
    QCheckBox* CbAutoInclude;
    QPushButton* BtnChangeCals;
    QPushButton* BtnAssociateASCFiles;
    QPushButton* BtnAssociateBINFiles;
    QFrame* Panel1; // output options: the output type and the text delimiter
    QLabel* LbDelimiter;
    QRadioButton* RbComma;
    QRadioButton* RbSpace;
    QRadioButton* RbTab;
    QRadioButton* RbOtherCode;
    QLineEdit* EdOtherCode;
    QRadioButton* RbOtherChar;
    QLineEdit* EdOtherChar;
    QFrame* Panel3;      // the processing level ("Cal Type")
    QLabel* StaticText1; // "Cal Type:"
    QRadioButton* RbRaw;
    QRadioButton* RbPixAdjust;
    QRadioButton* RbDarkAdjust;
    QRadioButton* RbNormTime;
    QRadioButton* RbFullCal;
    QPushButton* BtnHelp;
    QFrame* Panel4; // run options: debug text, ignoring immersion
    QCheckBox* CbIgnoreImmersion;
    QCheckBox* CbShowDebug;
    QCheckBox* CbTranspose;
    QCheckBox* CbBinary;
    QLabel* Label1;      // "Output Type:", on Panel1
    QLabel* Label2;      // "Options:", on Panel4
    QLabel* LbRunStatus; // how the last run went, in words

    void BtnOpenInFileClick(QObject* Sender);
    void BtnDoCalClick(QObject* Sender);
    void FormClose(QObject* Sender);
    void BtnChangeCalsClick(QObject* Sender);
    void FormCreate(QObject* Sender);
    void BtnAssociateASCFilesClick(QObject* Sender);
    void BtnAssociateBINFilesClick(QObject* Sender);
    void CbBinaryClick(QObject* Sender);
    void BtnHelpClick(QObject* Sender);

    void AddCompanionFiles(QStringList& Lines);
    void AssociateFileType(const QString& extension, const QString& typeName, const QString& description);

    // The input list, one file per line.
    QStringList fileLines() const;
    void setFileLines(const QStringList& lines);
    // Files dropped onto the input list join it, with their companion files
    // when those are included.
    void AddDroppedFiles(const QStringList& files);
    // The output file that converting an input line gives with the options shown.
    QString outputOf(const QString& inputLine) const;

    // Runs "Perform Cal" and the start-up conversion; holds the driver.
    WindowConversions conversions{*this};

    bool LogEnabled = false;
    bool TerminateRequested = false; // set by the start-up conversion

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createOptionPanels();
    void setTabOrder();
    void connectHandlers();
    void applySettings(const MainSettings& settings);
    MainSettings currentSettings() const;
    void runStartupConversion();
    // Lists the files, with their companion files when those are included.
    void listInputFiles(QStringList lines);

    QButtonGroup* calTypeGroup;
    QButtonGroup* delimiterGroup;
    QStringList commandLine;
};
