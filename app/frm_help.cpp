#include "app/frm_help.h"

#include "app/app_font.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>

const QStringList& helpLines()
{
    static const QStringList lines = {
        QStringLiteral("One can select:"),
        QString(),
        QStringLiteral("* Cal type -- most users will want \"Full calibration\""),
        QStringLiteral("* Output Type -- most users will find Transposed output to"),
        QStringLiteral("be easiest to manipulate"),
        QStringLiteral("* ASCII Delimiter -- Comma is default, but Tabs are easy to "),
        QStringLiteral("import into Excel, and spaces are easy to import into"),
        QStringLiteral("MATLAB.  You can pick any character as a delimiter."),
        QStringLiteral("* Options -- Select \"Ignore Immersion\" if the collectors were "),
        QStringLiteral("calibrated for immersed measurements, but the"),
        QStringLiteral("measurements were made in air.  This setting is not saved, "),
        QStringLiteral("and is not applied if .ASC or .BIN files are selected from the"),
        QStringLiteral("Explorer."),
        QStringLiteral("* Change Cal File Associations -- If you get a new "),
        QStringLiteral("calibration "),
        QStringLiteral("for an instrument that has already been used with"),
        QStringLiteral("Orvantis, use this to select the new calibration."),
        QStringLiteral("* To associate .ASC and .BIN files with the program (by"),
        QStringLiteral("pressing the \"Associate ASC Files\" and \"Associate BIN"),
        QStringLiteral("Files\" buttons).  Once you do this, you can double click on "),
        QStringLiteral(".BIN files from explorer, and they will automatically be "),
        QStringLiteral("converted to .DAT files, using the settings you have "),
        QStringLiteral("configured."),
        QString(),
        QStringLiteral("Orvantis will save all the settings you have selected when "),
        QStringLiteral("you exit. The one exception is when you opt to ignore the "),
        QStringLiteral("immersion coefficient for a set of files.  To do so, you must"),
        QStringLiteral("open the files with the Orvantis program and press the "),
        QStringLiteral("\"Perform Cal\" button (as opposed to double clicking from "),
        QStringLiteral("Explorer) when you want to ignore the immersion "),
        QStringLiteral("coefficient.  Also, the \"Ignore Immersion Coefficient\" setting "),
        QStringLiteral("is not saved when you close the program, so you must "),
        QStringLiteral("select it every time you want it."),
        QString(),
        QStringLiteral("If the program hasn't done the calibration for a given "),
        QStringLiteral("instrument before, it will ask you what cal file to use.  Point it "),
        QStringLiteral("to a CSV file (TL990400.CAL, for example).  If you need to "),
        QStringLiteral("change the associated cal file (in the future), run the"),
        QStringLiteral("program, and press the \"Change Cal File Associations\" "),
        QStringLiteral("Button."),
        QString(),
    };
    return lines;
}

TFrmHelp::TFrmHelp(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Orvantis Help"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(layoutFont());
    move(80, 256);
    resize(446, 454);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setFont(layoutFont(16));
    // The help lines are broken where they should be: wrapping them again at
    // the window's edge would leave single words on lines of their own.
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(helpLines().join(QLatin1Char('\n')));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Memo1);
    resize(std::max(width(), widthForLongestLine()), height());
}

// The window width at which the longest help line shows whole.
int TFrmHelp::widthForLongestLine() const
{
    const QFontMetrics metrics(Memo1->font());
    int longest = 0;
    for (const QString& line : helpLines())
        longest = std::max(longest, metrics.horizontalAdvance(line));
    const int margins = 2 * (Memo1->frameWidth() + static_cast<int>(Memo1->document()->documentMargin())) + 4;
    return longest + margins + Memo1->verticalScrollBar()->sizeHint().width();
}
