// The message window: how AppendMessage ends lines, when it is silent, text
// from other threads shown in batches, the memo's bound, and its menu
// commands.

#include "app_test_support.h"

#include "app/frm_main.h"
#include "app/log_batch.h"
#include "app/frm_message.h"
#include "app/error_display.h"
#include "app/forms.h"
#include "core/log.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <random>
#include <thread>

namespace {

// Pieces of log text as the processing side writes them: parts of lines,
// every kind of line end, empty texts.
const std::vector<QByteArray> Pieces = {"Calibrate ", "X.ASC",   "\n",   "",  "abc\r", "abc\r\n",
                                        "\r",         "two\n\n", "a\nb", "x", "\n",    "Channel 1\n"};

// The last `lines` lines of the text, as a memo keeping that many shows it.
QString lastLines(const QString& text, qsizetype lines)
{
    const QStringList all = text.split(QLatin1Char('\n'));
    return all.mid(std::max<qsizetype>(0, all.size() - lines)).join(QLatin1Char('\n'));
}

} // namespace

class MessageLogTest : public WindowTestCase {
    Q_OBJECT

private slots:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("single LF") << QByteArray("\n") << QByteArray("\r\n");
        QTest::newRow("single CR") << QByteArray("\r") << QByteArray("\r\n");
        QTest::newRow("letters LF") << QByteArray("abc\n") << QByteArray("abc\r\n");
        QTest::newRow("letters CR") << QByteArray("abc\r") << QByteArray("abc\r\n");
        QTest::newRow("letters CR LF") << QByteArray("abc\r\n") << QByteArray("abc\r\n");
        QTest::newRow("two LF") << QByteArray("abc\n\n") << QByteArray("abc\n\n");
        QTest::newRow("inner break untouched") << QByteArray("a\nb") << QByteArray("a\nb");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void lineEnds()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, stored);
        QCOMPARE(withLineEnd(text), stored);
    }

    void piecesBuildOneLine()
    {
        AppendMessage("Calibrate ");
        AppendMessage("X.ASC");
        AppendMessage("\n");
        AppendMessage("");
        AppendMessage(nullptr);
        AppendMessage("next\n");
        QCOMPARE(messageLog(), QStringLiteral("Calibrate X.ASC\nnext\n"));
        QCOMPARE(FrmMessage->Memo1->textCursor().position(), messageLog().size());
    }

    void textFromAnotherThreadArrivesWholeAndInOrder()
    {
        for (int round = 0; round < 50; ++round)
            for (const QByteArray& piece : Pieces)
                AppendMessage(piece.constData());
        const QString expected = messageLog();
        FrmMessage->ClearMessages1->trigger();

        QSignalSpy changes(FrmMessage->Memo1->document(), &QTextDocument::contentsChanged);
        std::thread writer([] {
            for (int round = 0; round < 50; ++round)
                for (const QByteArray& piece : Pieces)
                    AppendMessage(piece.constData());
        });
        writer.join();
        while (messageLog() != expected)
            QVERIFY2(changes.wait(), "the batch never came");
        QVERIFY(changes.size() < 50 * static_cast<int>(Pieces.size()));
    }

    void textOfOneThreadComesBeforeTheEventThreadsLaterText()
    {
        std::thread writer([] { AppendMessage("from the worker\n"); });
        writer.join();
        AppendMessage("then the window\n");
        QCOMPARE(messageLog(), QStringLiteral("from the worker\nthen the window\n"));
    }

    // Batches taken at random points and shown as the memo shows them give
    // the last lines of everything written, cut only at line ends.
    void batchesKeepTheLastWholeLines()
    {
        const std::vector<QString> pieces = {QStringLiteral("a"),   QStringLiteral("bc"),     QStringLiteral("\n"),
                                             QStringLiteral("x\n"), QStringLiteral("\n\n\n"), QString()};
        for (unsigned seed = 1; seed <= 40; ++seed) {
            std::mt19937 random(seed);
            const qsizetype maxLines = 1 + static_cast<qsizetype>(random() % 9);
            LogBatch batch(maxLines);
            QString written; // everything
            QString pending; // since the last batch
            QString memo;
            for (int step = 0; step < 400; ++step) {
                const QString& piece = pieces[random() % pieces.size()];
                const QString failure = QStringLiteral("seed %1, step %2").arg(seed).arg(step);
                QVERIFY2(batch.add(piece) == pending.isEmpty(), qPrintable(failure));
                written += piece;
                pending += piece;
                if (random() % 7 != 0)
                    continue;
                const LogBatch::Text taken = batch.take();
                pending.clear();
                memo = lastLines(taken.replaces ? taken.text : memo + taken.text, maxLines);
                QVERIFY2(memo == lastLines(written, maxLines), qPrintable(failure));
            }
        }
    }

    void memoKeepsItsLastLinesWhole()
    {
        std::thread writer([] {
            for (int line = 0; line < TFrmMessage::MaxLogLines + 2500; ++line)
                AppendMessage(QByteArray("line ").append(QByteArray::number(line)).append('\n').constData());
        });
        writer.join();
        flushMessages();
        QCOMPARE(FrmMessage->Memo1->document()->blockCount(), TFrmMessage::MaxLogLines);
        QVERIFY(messageLog().startsWith(QStringLiteral("line 2501\n")));
        QVERIFY(messageLog().endsWith(QStringLiteral("line %1\n").arg(TFrmMessage::MaxLogLines + 2499)));
    }

    void silentWhileLogDisabled()
    {
        FrmMain->LogEnabled = false;
        AppendMessage("hidden\n");
        QVERIFY(messageLog().isEmpty());
        QVERIFY(!FrmMessage->isVisible());
    }

    void logErrorReachesMemoBeforeItsBox()
    {
        Log log; // as the window's conversions log
        log.sink = AppendMessage;
        log.errorBox = showLogErrorBox;
        QString memoWhenBoxShown;
        struct Recorder : ScriptedDialogs {
            QString* seen;
            void error(QWidget* owner, const QString& text, const QString& caption) override
            {
                *seen = messageLog();
                ScriptedDialogs::error(owner, text, caption);
            }
        } recorder;
        recorder.seen = &memoWhenBoxShown;
        setDialogs(&recorder);
        log.error("bad %d\n", 7);
        setDialogs(&env->boxes);
        QCOMPARE(memoWhenBoxShown, QStringLiteral("bad 7\n"));
        QCOMPARE(recorder.calls.size(), 1);
        QCOMPARE(recorder.calls.first().caption, QStringLiteral("Error"));
        QCOMPARE(recorder.calls.first().text, QStringLiteral("bad 7\n"));
    }

    void selectAllStartsAtSecondCharacter()
    {
        AppendMessage("old text\n");
        FrmMessage->ClearMessages1->trigger();
        QVERIFY(messageLog().isEmpty());
        AppendMessage("Hello\n");
        FrmMessage->SelectAll1->trigger();
        const QTextCursor cursor = FrmMessage->Memo1->textCursor();
        QCOMPARE(cursor.selectionStart(), 1);
        QCOMPARE(cursor.selectionEnd(), messageLog().size());
        QCOMPARE(cursor.selectedText(), QStringLiteral("ello") + QChar(QChar::ParagraphSeparator));
    }

    void copyPutsSelectionOnClipboard()
    {
        AppendMessage("Hello\n");
        FrmMessage->show();
        FrmMessage->activateWindow();
        FrmMessage->Memo1->setFocus();
        QVERIFY(QTest::qWaitForWindowActive(FrmMessage));
        FrmMessage->SelectAll1->trigger();
        FrmMessage->Copy1->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ello\n"));
        QCOMPARE(FrmMessage->Copy1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    }

    void menusAndExit()
    {
        const QList<QAction*> menus = FrmMessage->MainMenu1->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus.at(0)->text(), QStringLiteral("File"));
        QCOMPARE(menus.at(1)->text(), QStringLiteral("Edit"));
        QCOMPARE(FrmMessage->Exit1->text(), QStringLiteral("E&xit"));
        QCOMPARE(FrmMessage->ClearMessages1->text(), QStringLiteral("Clear &Messages"));
        QCOMPARE(FrmMessage->Copy1->text(), QStringLiteral("&Copy"));
        QCOMPARE(FrmMessage->SelectAll1->text(), QStringLiteral("Select &All"));
        AppendMessage("kept\n");
        FrmMessage->show();
        FrmMessage->Exit1->trigger();
        QVERIFY(!FrmMessage->isVisible());
        QCOMPARE(messageLog(), QStringLiteral("kept\n"));
    }
};

QTEST_MAIN(MessageLogTest)
#include "message_log_test.moc"
