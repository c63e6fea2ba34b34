// The message window: how AppendMessage ends lines, when it is silent, and
// its menu commands.

#include "app_test_support.h"

#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/error_display.h"
#include "app/forms.h"
#include "core/log.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include <memory>

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
