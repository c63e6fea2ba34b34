#include "app/frm_main.h"

#include "app/app_font.h"
#include "app/companion_files.h"
#include "app/dialogs.h"
#include "app/error_display.h"
#include "app/file_drop.h"
#include "app/frm_change_cal.h"
#include "app/frm_help.h"
#include "app/on_screen.h"
#include "app/radio_focus.h"
#include "app/forms.h"
#include "app/view_output_menu.h"
#include "calibration/cal_table.h"
#include "conversion/output_name.h"
#include "driver/data_files.h"
#include "orvantis_version.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

template <typename Control>
Control* place(Control* control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, height);
    return control;
}

QLabel* boldLabel(const QString& caption, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    QFont bold;
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

QFrame* panel(QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return frame;
}

QCheckBox* checkBox(const QString& caption, QWidget* parent, bool checked)
{
    auto* box = new QCheckBox(caption, parent);
    box->setChecked(checked);
    return box;
}

QRadioButton* radioButton(const QString& caption, QWidget* parent, QButtonGroup* group, int code)
{
    auto* button = new QRadioButton(caption, parent);
    group->addButton(button, code);
    return button;
}

// Chosen and dropped names come with '/'; the list shows them as the system writes them.
QStringList nativeNames(QStringList names)
{
    for (QString& name : names)
        name = QDir::toNativeSeparators(name);
    return names;
}

} // namespace

TFrmMain::TFrmMain(const QStringList& commandLineFiles, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      commandLine(commandLineFiles)
{
    setWindowTitle(QStringLiteral("Orvantis ") + QString::fromLatin1(ORVANTIS_VERSION));
    CalOpenDialog.Filter = QStringLiteral("Calibration files (*.cal *.CAL *.Cal);;All files (*)");
    OpenDialog1.Title = QStringLiteral("Open Data Files");
    OpenDialog1.Filter = QStringLiteral("Tidelume data files (*.ASC *.BIN *.asc *.bin);;All files (*)");
    setFixedSize(554, 333);
    move(113, 134);
    createControls();
    createOptionPanels();
    setTabOrder();
    connectHandlers();
    fitLayoutFont(this);
    FormCreate(nullptr);
}

void TFrmMain::createControls()
{
    LbInFile = place(boldLabel(QStringLiteral("Input File(s):"), this), 8, 16, 72, 13);
    MemoFile = place(new QPlainTextEdit(this), 88, 16, 417, 81);
    MemoFile->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoFile->setTabChangesFocus(true); // a tab is never part of a file name
    MemoFile->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoFile->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    BtnOpenInFile = place(new QPushButton(QStringLiteral("..."), this), 512, 16, 25, 25);
    CbAutoInclude =
        place(checkBox(QStringLiteral("Automatcially include non-selected channels in same data set."), this, true), 88,
              104, 321, 17);
    BtnHelp = place(new QPushButton(QStringLiteral("Help"), this), 8, 272, 105, 25);
    BtnChangeCals = place(new QPushButton(QStringLiteral("Change Cal File Associations"), this), 136, 272, 153, 25);
    BtnAssociateASCFiles = place(new QPushButton(QStringLiteral("Associate ASC Files"), this), 304, 272, 113, 25);
    BtnAssociateBINFiles = place(new QPushButton(QStringLiteral("Associate BIN Files"), this), 424, 272, 121, 25);
    BtnDoCal = place(new QPushButton(QStringLiteral("Perform Cal"), this), 216, 304, 169, 25);
    LbRunStatus = place(new QLabel(this), 8, 304, 200, 25);
    LbRunStatus->setWordWrap(true);
    QFont bold;
    bold.setBold(true);
    BtnDoCal->setFont(bold);
    BtnDoCal->setStyleSheet(QStringLiteral("QPushButton { color: red; }"));
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
}

void TFrmMain::createOptionPanels()
{
    Panel3 = place(panel(this), 8, 128, 537, 33);
    calTypeGroup = new QButtonGroup(Panel3);
    StaticText1 = place(boldLabel(QStringLiteral("Cal Type:"), Panel3), 8, 8, 58, 17);
    RbRaw = place(radioButton(QStringLiteral("Raw"), Panel3, calTypeGroup, 0), 72, 8, 49, 17);
    RbPixAdjust = place(radioButton(QStringLiteral("Pixel Adjust"), Panel3, calTypeGroup, 1), 136, 8, 81, 17);
    RbDarkAdjust = place(radioButton(QStringLiteral("Dark Adjust"), Panel3, calTypeGroup, 2), 232, 8, 81, 17);
    RbNormTime = place(radioButton(QStringLiteral("Normalize Time"), Panel3, calTypeGroup, 3), 328, 8, 97, 17);
    RbFullCal = place(radioButton(QStringLiteral("Full Calibration"), Panel3, calTypeGroup, 4), 440, 8, 89, 17);
    RbFullCal->setChecked(true);

    Panel1 = place(panel(this), 8, 168, 537, 57);
    delimiterGroup = new QButtonGroup(Panel1);
    Label1 = place(boldLabel(QStringLiteral("Output Type:"), Panel1), 8, 8, 75, 13);
    CbBinary = place(checkBox(QStringLiteral("Binary Output"), Panel1, false), 104, 8, 97, 17);
    CbTranspose = place(checkBox(QStringLiteral("Transposed ASCII Output"), Panel1, false), 200, 8, 145, 17);
    LbDelimiter = place(boldLabel(QStringLiteral("ASCII Delimiter:"), Panel1), 8, 32, 90, 13);
    RbComma = place(radioButton(QStringLiteral("Comma"), Panel1, delimiterGroup, 0), 104, 33, 81, 16);
    RbSpace = place(radioButton(QStringLiteral("Space"), Panel1, delimiterGroup, 1), 160, 33, 81, 16);
    RbTab = place(radioButton(QStringLiteral("Tab"), Panel1, delimiterGroup, 2), 216, 33, 81, 16);
    RbOtherChar = place(radioButton(QStringLiteral("Other (Char):"), Panel1, delimiterGroup, 3), 264, 33, 81, 16);
    EdOtherChar = place(new QLineEdit(QStringLiteral("/"), Panel1), 352, 28, 41, 21);
    RbOtherCode = place(radioButton(QStringLiteral("Other (Code):"), Panel1, delimiterGroup, 4), 400, 33, 81, 16);
    EdOtherCode = place(new QLineEdit(QStringLiteral("35"), Panel1), 488, 28, 41, 21);
    RbComma->setChecked(true);

    Panel4 = place(panel(this), 8, 232, 537, 33);
    Label2 = place(boldLabel(QStringLiteral("Options:"), Panel4), 8, 8, 48, 13);
    CbShowDebug = place(checkBox(QStringLiteral("Show Debug Info"), Panel4, false), 104, 8, 113, 17);
    CbIgnoreImmersion = place(checkBox(QStringLiteral("Ignore Immersion (Not Saved)"), Panel4, false), 216, 8, 177, 17);
}

void TFrmMain::setTabOrder()
{
    const QList<QWidget*> order = {BtnOpenInFile,
                                   BtnDoCal,
                                   MemoFile,
                                   CbAutoInclude,
                                   BtnChangeCals,
                                   BtnAssociateASCFiles,
                                   BtnAssociateBINFiles,
                                   RbComma,
                                   RbSpace,
                                   RbTab,
                                   RbOtherCode,
                                   EdOtherCode,
                                   RbOtherChar,
                                   EdOtherChar,
                                   CbTranspose,
                                   CbBinary,
                                   RbRaw,
                                   RbPixAdjust,
                                   RbDarkAdjust,
                                   RbNormTime,
                                   RbFullCal,
                                   BtnHelp,
                                   CbIgnoreImmersion,
                                   CbShowDebug};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    focusCheckedOnTab(calTypeGroup);
    focusCheckedOnTab(delimiterGroup);
}

void TFrmMain::connectHandlers()
{
    connect(BtnOpenInFile, &QPushButton::clicked, this, guarded([this] { BtnOpenInFileClick(BtnOpenInFile); }));
    connect(BtnDoCal, &QPushButton::clicked, this, guarded([this] { BtnDoCalClick(BtnDoCal); }));
    connect(BtnChangeCals, &QPushButton::clicked, this, guarded([this] { BtnChangeCalsClick(BtnChangeCals); }));
    connect(BtnAssociateASCFiles, &QPushButton::clicked, this,
            guarded([this] { BtnAssociateASCFilesClick(BtnAssociateASCFiles); }));
    connect(BtnAssociateBINFiles, &QPushButton::clicked, this,
            guarded([this] { BtnAssociateBINFilesClick(BtnAssociateBINFiles); }));
    connect(CbBinary, &QCheckBox::toggled, this, guarded([this] { CbBinaryClick(CbBinary); }));
    connect(BtnHelp, &QPushButton::clicked, this, guarded([this] { BtnHelpClick(BtnHelp); }));
    acceptFileDrops(MemoFile, [this](const QStringList& files) { runGuarded([&] { AddDroppedFiles(files); }); });
    addViewSpectraMenu(MemoFile, [this](const QString& line) { return outputOf(line); });
}

QString TFrmMain::outputOf(const QString& inputLine) const
{
    const int level = calTypeGroup->checkedId() >= 0 ? calTypeGroup->checkedId() : 4;
    return QString::fromStdString(outputFileName(inputLine.toStdString(), level, CbBinary->isChecked()));
}

void TFrmMain::AddDroppedFiles(const QStringList& files)
{
    // A dropped folder brings the data files under it, as it does to the converter.
    std::vector<std::string> paths;
    for (const QString& file : files)
        paths.push_back(QFile::encodeName(file).toStdString());
    const DataFileList listed = dataFilesOf(paths);
    QStringList dropped;
    for (const std::string& path : listed.files)
        dropped.append(QFile::decodeName(QByteArray::fromStdString(path)));
    listInputFiles(fileLines() + nativeNames(dropped));
    QStringList unreadable;
    for (const ListingFailure& failure : listed.failures)
        unreadable.append(QFile::decodeName(QByteArray::fromStdString(failure.text)));
    if (!unreadable.isEmpty())
        dialogs().error(this, unreadable.join(QLatin1Char('\n')), QStringLiteral("Error"));
}

void TFrmMain::listInputFiles(QStringList lines)
{
    if (CbAutoInclude->isChecked()) {
        AddCompanionFiles(lines);
        sortFileList(lines);
    }
    setFileLines(lines);
}

QStringList TFrmMain::fileLines() const
{
    QString text = MemoFile->toPlainText();
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1); // a final line break ends the last line, it starts none
    return text.split(QLatin1Char('\n'));
}

void TFrmMain::setFileLines(const QStringList& lines)
{
    MemoFile->setPlainText(lines.join(QLatin1Char('\n')));
}

void TFrmMain::applySettings(const MainSettings& settings)
{
    CbAutoInclude->setChecked(settings.autoInclude);
    EdOtherChar->setText(settings.delimitChar);
    EdOtherCode->setText(settings.delimitCode);
    CbTranspose->setChecked(settings.transpose);
    CbBinary->setChecked(settings.binary);
    CbShowDebug->setChecked(settings.debug);
    if (settings.topLeft)
        move(visibleTopLeft(*settings.topLeft, size()));
    // Codes outside the groups select each group's last button.
    const auto inRange = [](int32_t code) { return code >= 0 && code <= 4 ? code : 4; };
    calTypeGroup->button(inRange(settings.calType))->setChecked(true);
    delimiterGroup->button(inRange(settings.delimitMode))->setChecked(true);
}

MainSettings TFrmMain::currentSettings() const
{
    MainSettings settings;
    settings.autoInclude = CbAutoInclude->isChecked();
    settings.calType = calTypeGroup->checkedId() >= 0 ? calTypeGroup->checkedId() : 4;
    settings.delimitMode = delimiterGroup->checkedId() >= 0 ? delimiterGroup->checkedId() : 0;
    settings.delimitChar = EdOtherChar->text();
    settings.delimitCode = EdOtherCode->text();
    settings.transpose = CbTranspose->isChecked();
    settings.binary = CbBinary->isChecked();
    settings.debug = CbShowDebug->isChecked();
    settings.topLeft = pos();
    return settings;
}

void TFrmMain::FormCreate(QObject*)
{
    applySettings(loadMainSettings());
    CbBinaryClick(nullptr);
    setFileLines(commandLine);
    if (fileLines().isEmpty()) {
        LogEnabled = true;
        return;
    }
    try {
        runStartupConversion();
    } catch (const std::exception& error) {
        // The window stays open and usable; the log stays off.
        showApplicationError(error);
    }
}

void TFrmMain::runStartupConversion()
{
    if (CbAutoInclude->isChecked()) {
        QStringList lines = fileLines();
        AddCompanionFiles(lines);
        sortFileList(lines);
        setFileLines(lines);
    }
    BtnDoCalClick(nullptr);
    close();
    TerminateRequested = true;
}

void TFrmMain::closeEvent(QCloseEvent* event)
{
    runGuarded([this] { FormClose(this); });
    event->accept();
}

void TFrmMain::FormClose(QObject*)
{
    conversions.driver().freeCals();
    saveMainSettings(currentSettings());
}

void TFrmMain::CbBinaryClick(QObject*)
{
    const bool textOutput = !CbBinary->isChecked();
    for (QWidget* control :
         QList<QWidget*>{CbTranspose, RbComma, RbSpace, RbTab, RbOtherChar, EdOtherChar, RbOtherCode, EdOtherCode})
        control->setEnabled(textOutput);
}

void TFrmMain::BtnHelpClick(QObject*)
{
    FrmHelp->show();
    FrmHelp->raise();
    FrmHelp->activateWindow();
}

void TFrmMain::BtnChangeCalsClick(QObject*)
{
    FrmChangeCal->exec();
    conversions.driver().state.CalReloadNeeded = true;
}

void TFrmMain::AddCompanionFiles(QStringList& Lines)
{
    addCompanionFiles(Lines);
}

void TFrmMain::BtnOpenInFileClick(QObject*)
{
    if (!OpenDialog1.Execute(this))
        return;
    listInputFiles(nativeNames(OpenDialog1.Files));
}
