// Using the windows as a person does: the keyboard, dropped files, help text
// that reads line by line, a readable associations grid, windows that open
// on a screen, and a long run that shows progress and can be stopped.

#include "app_test_support.h"
#include "held_conversion.h"

#include "app/forms.h"
#include "app/frm_change_cal.h"
#include "app/frm_help.h"
#include "app/frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

namespace {

void dropFiles(QPlainTextEdit* target, const QStringList& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls.append(QUrl::fromLocalFile(file));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target->viewport(), &drop);
}

} // namespace

class WindowUseTest : public WindowTestCase {
    Q_OBJECT

private slots:
    void tabLeavesTheInputListAndEntersRadioGroupsAtTheCheckedButton()
    {
        FrmMain->show();
        QApplication::setActiveWindow(FrmMain);
        QVERIFY(QTest::qWaitForWindowActive(FrmMain));
        FrmMain->MemoFile->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(FrmMain->MemoFile, Qt::Key_Tab);
        QVERIFY(!FrmMain->MemoFile->toPlainText().contains(QLatin1Char('\t')));
        QVERIFY(!FrmMain->MemoFile->hasFocus());

        FrmMain->RbNormTime->setChecked(true);
        FrmMain->CbBinary->setFocus(Qt::OtherFocusReason);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), FrmMain->RbNormTime);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), FrmMain->BtnHelp);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), FrmMain->RbNormTime);
    }

    // Dropped names are listed as the system writes them ('\\' on Windows).
    void droppedFilesJoinTheListWithTheirCompanions()
    {
        const QString fileA = env->copyExample(QStringLiteral("SET0101A.ASC"));
        const QString fileB = env->copyExample(QStringLiteral("SET0101B.ASC"));
        const QString other = env->writeFile(QStringLiteral("OTHER.ASC"), "x");
        const auto native = [](const QString& name) { return QDir::toNativeSeparators(name); };
        FrmMain->setFileLines({other});
        FrmMain->CbAutoInclude->setChecked(true);
        dropFiles(FrmMain->MemoFile, {fileA});
        QCOMPARE(FrmMain->fileLines(), (QStringList{other, native(fileA), native(fileB)}));

        FrmMain->setFileLines({});
        FrmMain->CbAutoInclude->setChecked(false);
        dropFiles(FrmMain->MemoFile, {fileA});
        QCOMPARE(FrmMain->fileLines(), QStringList{native(fileA)});

        // A folder brings the data files under it, and nothing else.
        const QString cast = env->dataFolder() + QStringLiteral("/cast");
        QVERIFY(QDir().mkpath(cast + QStringLiteral("/deep")));
        QVERIFY(QFile::copy(fileB, cast + QStringLiteral("/deep/U.asc")));
        QVERIFY(QFile::copy(fileA, cast + QStringLiteral("/E.ASC")));
        QVERIFY(QFile::copy(fileA, cast + QStringLiteral("/E.DAT")));
        FrmMain->setFileLines({});
        dropFiles(FrmMain->MemoFile, {cast});
        QCOMPARE(FrmMain->fileLines(),
                 (QStringList{native(cast + QStringLiteral("/E.ASC")), native(cast + QStringLiteral("/deep/U.asc"))}));
    }

    void helpLinesAreNotWrappedAgain()
    {
        FrmHelp->show();
        QVERIFY(QTest::qWaitForWindowExposed(FrmHelp));
        // Only the blocks in view are laid out; each of those is one line.
        int laidOut = 0;
        for (QTextBlock block = FrmHelp->Memo1->document()->begin(); block.isValid(); block = block.next()) {
            if (block.layout()->lineCount() == 0)
                continue;
            QCOMPARE(block.layout()->lineCount(), 1);
            ++laidOut;
        }
        QVERIFY(laidOut > 10);
        QVERIFY(!FrmHelp->Memo1->horizontalScrollBar()->isVisible());
        QCOMPARE(FrmHelp->Memo1->font().pixelSize(), 16);
    }

    void associationsGridFitsItsWidthAndShowsWholePaths()
    {
        const QString longPath = env->dataFolder() + QStringLiteral("/") + QString(120, QLatin1Char('d')) +
                                 QStringLiteral("/CALIBRATION.CAL");
        storeAssociation(QStringLiteral("TDL0417"), longPath);
        QTimer::singleShot(0, FrmChangeCal, [] {
            const QTableWidget* grid = FrmChangeCal->StringGrid;
            const QHeaderView* header = grid->horizontalHeader();
            QVERIFY(header->sectionSize(0) >= header->sectionSizeHint(0));
            QCOMPARE(header->sectionSize(0) + header->sectionSize(1), grid->viewport()->width());
            QCOMPARE(grid->textElideMode(), Qt::ElideLeft);
            QCOMPARE(grid->item(0, 1)->toolTip(), grid->item(0, 1)->text());
            FrmChangeCal->resize(900, FrmChangeCal->height());
            QCOMPARE(header->sectionSize(0) + header->sectionSize(1), grid->viewport()->width());
            FrmChangeCal->BtnCancel->click();
        });
        FrmMain->BtnChangeCals->click();
    }

    void positionNoScreenShowsIsMovedOntoThePrimaryScreen()
    {
        windows.reset();
        storeSetting("Left", -30000);
        storeSetting("Top", -30000);
        windows = std::make_unique<WindowsUnderTest>();
        QCOMPARE(FrmMain->pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());

        windows.reset();
        storeSetting("Left", 40);
        storeSetting("Top", 30);
        windows = std::make_unique<WindowsUnderTest>();
        QCOMPARE(FrmMain->pos(), QPoint(40, 30));
    }

    void windowsCarryTheProgramsIcon()
    {
        QVERIFY(!QApplication::windowIcon().isNull());
        QVERIFY(!FrmHelp->windowIcon().isNull());
    }

    // The dialog shows how far the file has come while it converts, and its
    // Cancel stops the file and keeps the output an earlier run left.
    void longRunShowsProgressAndCancelKeepsThePreviousOutput()
    {
        const QString cal = env->copyExample(QStringLiteral("EXAMPLE.CAL"));
        storeAssociation(QStringLiteral("TDL0417"), cal);
        const QString data = env->writeFile(QStringLiteral("LONG0101A.ASC"), repeatedExample(50));
        const QString output = env->writeFile(QStringLiteral("LONG0101A.DAT"), "previous output");
        FrmMain->CbAutoInclude->setChecked(false);
        FrmMain->conversions.setProgressShowDelay(std::chrono::milliseconds(0));
        // Held at its second report, the worker has told the first (64
        // spectra) and converts no further until Cancel has been pressed.
        HeldConversion conversion(2);
        conversion.watch();
        QString shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            if (!conversion.held || !dialog || dialog->value() == 0 || !shown.isEmpty())
                return;
            shown = dialog->labelText();
            dialog->findChild<QPushButton*>()->click();
            conversion.resume.release();
        });
        poll.start(0);
        FrmMain->setFileLines({data});
        FrmMain->BtnDoCal->click();
        poll.stop();
        QCOMPARE(shown, QStringLiteral("File 1 of 1: LONG0101A.ASC\n64 spectra"));
        QVERIFY(conversion.resumedInTime);
        QFile kept(output);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("previous output"));
        QVERIFY(messageLog().contains(QStringLiteral("cancelled")));
        QVERIFY(env->boxes.calls.isEmpty());
    }
};

QTEST_MAIN(WindowUseTest)
#include "window_use_test.moc"
