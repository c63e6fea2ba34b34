#pragma once
// The message window: everything the program logs, in one memo.

#include "app/log_batch.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

#include <chrono>

class QAction;
class QMenu;
class QPlainTextEdit;

class TFrmMessage : public QMainWindow {
    Q_OBJECT
public:
    explicit TFrmMessage(QWidget* parent = nullptr);

    QMenuBar* MainMenu1;
    QAction* EditCopy1;
    QAction* EditSelectAll1;
    QAction* ExitMsgForm;
    QMenu* File1;
    QAction* Exit1;
    QMenu* Edit1;
    QAction* Copy1;
    QAction* SelectAll1;
    QPlainTextEdit* Memo1;
    QAction* ClearMessages;
    QAction* ClearMessages1;
    QAction* ViewSpectra;

    void EditSelectAll1Execute(QObject* Sender);
    void ClearMessagesExecute(QObject* Sender);
    void ExitMsgFormExecute(QObject* Sender);
    // Opens the viewer on the output of the last conversion logged.
    void ViewSpectraExecute(QObject* Sender);

    // Adds the text at the memo's end, from any thread: text from another
    // thread is shown in batches, in the order it came, at most every
    // LogInterval and longer apart when batches take long to show, so that
    // a flood of debug text costs little more than its last lines.
    void appendLog(const QString& text);
    // Shows the text of other threads that waits for its batch.
    void showPendingLog();

    // The memo keeps this many lines, the latest.
    static constexpr int MaxLogLines = 50000;
    static constexpr std::chrono::milliseconds LogInterval{100};

private:
    void scheduleLog();
    void showText(const QString& text);

    LogBatch pendingLog_{MaxLogLines};
    QTimer logTimer_;
    QElapsedTimer sinceLogShown_;
    std::chrono::milliseconds logPause_ = LogInterval; // between two batches
};

// The program's log callback, on any thread: appends the text to the message
// window's memo while the main window's LogEnabled is set, ending a final LF
// or CR as a line break.
void AppendMessage(const char* text);

// Shows at once the log text other threads have written; a box shown next
// follows its log text.
void flushMessages();

// The text as the memo stores it: a final LF or CR becomes CR LF unless the
// character before it is LF or CR too.
QByteArray withLineEnd(const QByteArray& text);
