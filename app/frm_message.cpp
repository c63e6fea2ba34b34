#include "app/frm_message.h"

#include "app/app_font.h"
#include "app/app_viewer_host.h"
#include "app/error_display.h"
#include "app/frm_main.h"
#include "app/forms.h"
#include "app/view_output_menu.h"
#include "viewer/viewer_entry.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QThread>

#include <algorithm>

namespace {

bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// Copies the selection of whichever edit control has the focus.
void copyFocusedSelection()
{
    QWidget* focused = QApplication::focusWidget();
    if (auto* memo = qobject_cast<QPlainTextEdit*>(focused))
        memo->copy();
    else if (auto* field = qobject_cast<QLineEdit*>(focused))
        field->copy();
}

} // namespace

TFrmMessage::TFrmMessage(QWidget* parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("FrmMessage"));
    setGeometry(79, 105, 474, 307);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(layoutFont(FrmMain ? FrmMain->font().pixelSize() : DesignFontPixels));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // A long debug run loses its oldest lines, whole, rather than the memory.
    Memo1->setMaximumBlockCount(MaxLogLines);
    logTimer_.setSingleShot(true);
    connect(&logTimer_, &QTimer::timeout, this, &TFrmMessage::showPendingLog);
    sinceLogShown_.start();
    setCentralWidget(Memo1);

    ExitMsgForm = new QAction(QStringLiteral("E&xit"), this);
    ClearMessages = new QAction(QStringLiteral("Clear &Messages"), this);
    EditCopy1 = new QAction(QStringLiteral("&Copy"), this);
    EditCopy1->setToolTip(QStringLiteral("Copy"));
    EditCopy1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    EditSelectAll1 = new QAction(QStringLiteral("Select &All"), this);
    // The menu items show the actions themselves.
    Exit1 = ExitMsgForm;
    ClearMessages1 = ClearMessages;
    Copy1 = EditCopy1;
    SelectAll1 = EditSelectAll1;

    MainMenu1 = menuBar();
    File1 = MainMenu1->addMenu(QStringLiteral("File"));
    ViewSpectra = File1->addAction(QStringLiteral("&View Spectra"));
    ViewSpectra->setToolTip(viewerBuilt() ? QStringLiteral("View the spectra of the last output logged")
                                          : viewerMissingText());
    File1->addAction(Exit1);
    Edit1 = MainMenu1->addMenu(QStringLiteral("Edit"));
    Edit1->addAction(ClearMessages1);
    Edit1->addAction(Copy1);
    Edit1->addAction(SelectAll1);

    connect(ViewSpectra, &QAction::triggered, this, guarded([this] { ViewSpectraExecute(ViewSpectra); }));
    connect(ExitMsgForm, &QAction::triggered, this, guarded([this] { ExitMsgFormExecute(ExitMsgForm); }));
    connect(ClearMessages, &QAction::triggered, this, guarded([this] { ClearMessagesExecute(ClearMessages); }));
    connect(EditCopy1, &QAction::triggered, this, guarded(copyFocusedSelection));
    connect(EditSelectAll1, &QAction::triggered, this, guarded([this] { EditSelectAll1Execute(EditSelectAll1); }));
}

void TFrmMessage::EditSelectAll1Execute(QObject*)
{
    QTextCursor cursor = Memo1->textCursor();
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextCharacter);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    Memo1->setTextCursor(cursor);
}

void TFrmMessage::ClearMessagesExecute(QObject*)
{
    Memo1->clear();
}

void TFrmMessage::ViewSpectraExecute(QObject*)
{
    const QString output = lastLoggedOutput(Memo1->toPlainText());
    openViewers(appViewerHost(), output.isEmpty() ? QStringList() : QStringList{output});
}

void TFrmMessage::ExitMsgFormExecute(QObject*)
{
    close();
}

QByteArray withLineEnd(const QByteArray& text)
{
    const qsizetype n = text.size();
    if (n == 0 || !isLineEnd(text.back()))
        return text;
    if (n > 1 && isLineEnd(text.at(n - 2)))
        return text;
    return text.left(n - 1) + "\r\n";
}

void AppendMessage(const char* text)
{
    if (!text || !FrmMain || !FrmMain->LogEnabled || !FrmMessage)
        return;
    const QByteArray stored = withLineEnd(QByteArray(text));
    if (stored.isEmpty())
        return;
    // The memo keeps a line break as one character.
    QString shown = QString::fromLocal8Bit(stored);
    if (shown.contains(QLatin1Char('\r')))
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    FrmMessage->appendLog(shown);
}

void flushMessages()
{
    if (FrmMessage)
        FrmMessage->showPendingLog();
}

void TFrmMessage::appendLog(const QString& text)
{
    if (QThread::currentThread() == thread()) {
        showPendingLog(); // what came before it
        showText(text);
    } else if (pendingLog_.add(text)) {
        QMetaObject::invokeMethod(this, &TFrmMessage::scheduleLog, Qt::QueuedConnection);
    }
}

void TFrmMessage::scheduleLog()
{
    const auto wait = logPause_ - std::chrono::milliseconds(sinceLogShown_.elapsed());
    if (wait.count() <= 0)
        showPendingLog();
    else
        logTimer_.start(wait);
}

void TFrmMessage::showPendingLog()
{
    logTimer_.stop();
    QElapsedTimer showing;
    showing.start();
    const LogBatch::Text batch = pendingLog_.take();
    if (batch.replaces) {
        Memo1->setPlainText(batch.text);
        Memo1->moveCursor(QTextCursor::End);
    } else if (!batch.text.isEmpty()) {
        showText(batch.text);
    }
    // A flood of text takes at most a quarter of the event thread's time.
    logPause_ = std::max(LogInterval, 3 * std::chrono::milliseconds(showing.elapsed()));
    sinceLogShown_.start();
}

void TFrmMessage::showText(const QString& text)
{
    Memo1->moveCursor(QTextCursor::End);
    Memo1->insertPlainText(text);
    Memo1->moveCursor(QTextCursor::End);
}
