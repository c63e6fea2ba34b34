// "Change Calibration Associations": listing, adding, changing, deleting,
// and what reaches the store on OK and on Cancel.

#include "app_test_support.h"

#include "app/frm_change_cal.h"
#include "app/settings_store.h"
#include "app/forms.h"
#include "store/associations.h"
#include "store/reg_def.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

class ChangeCalTest : public WindowTestCase {
    Q_OBJECT
    QString calOne, calTwo;

    // Opens the window modally, runs the steps inside it, then presses the button.
    void showAndFinish(const std::function<void()>& steps, QPushButton* TFrmChangeCal::*closer)
    {
        QTimer::singleShot(0, FrmChangeCal, [&] {
            steps();
            (FrmChangeCal->*closer)->click();
        });
        FrmChangeCal->exec();
    }

    static void doubleClickRow(int row)
    {
        FrmChangeCal->StringGrid->setCurrentCell(row, 0);
        FrmChangeCal->StringGridDblClick(FrmChangeCal->StringGrid);
    }

    static QStringList gridColumn(int column)
    {
        QStringList cells;
        for (int row = 0; row < FrmChangeCal->StringGrid->rowCount(); ++row) {
            const QTableWidgetItem* item = FrmChangeCal->StringGrid->item(row, column);
            cells.append(item ? item->text() : QString());
        }
        return cells;
    }

    static QStringList storedSerials()
    {
        QStringList serials;
        for (const auto& association : listCalFiles())
            serials.append(QString::fromStdString(association.first));
        serials.sort();
        return serials;
    }

    void prepare() override
    {
        calOne = env->writeFile(QStringLiteral("ONE.CAL"), "[ID]\n");
        calTwo = env->writeFile(QStringLiteral("TWO.CAL"), "[ID]\n");
    }

private slots:
    void layoutAndHeader()
    {
        QCOMPARE(FrmChangeCal->StringGrid->columnCount(), 2);
        QCOMPARE(FrmChangeCal->StringGrid->horizontalHeaderItem(0)->text(), QStringLiteral("Serial Number"));
        QCOMPARE(FrmChangeCal->StringGrid->horizontalHeaderItem(1)->text(), QStringLiteral("Calibration File"));
        // At least its stated width, and wide enough for its title.
        const QHeaderView* header = FrmChangeCal->StringGrid->horizontalHeader();
        QVERIFY(FrmChangeCal->StringGrid->columnWidth(0) >= std::max(80, header->sectionSizeHint(0)));
        QCOMPARE(FrmChangeCal->Panel2->text(), QStringLiteral("Double Click on  a line to change."));
        QCOMPARE(FrmChangeCal->pos(), QPoint(4, 354));
        QCOMPARE(FrmChangeCal->size(), QSize(562, 275));
        showAndFinish(
            [&] {
                FrmChangeCal->resize(700, 300);
                // The file column takes what the grid has left.
                QCOMPARE(FrmChangeCal->StringGrid->columnWidth(0) + FrmChangeCal->StringGrid->columnWidth(1),
                         FrmChangeCal->StringGrid->viewport()->width());
                QCOMPARE(FrmChangeCal->Panel1->width() - FrmChangeCal->BtnCancel->geometry().right() - 1, 11);
                QCOMPARE(FrmChangeCal->Panel1->width() - FrmChangeCal->BtnOK->geometry().right() - 1, 101);
            },
            &TFrmChangeCal::BtnCancel);
    }

    void firstUseAddsAssociationThroughPlaceholderRow()
    {
        env->boxes.inputAnswers.append(QStringLiteral("TDL0001"));
        env->boxes.fileAnswers.append({calOne});
        showAndFinish(
            [&] {
                QCOMPARE(gridColumn(0), QStringList{QString()});
                doubleClickRow(0);
            },
            &TFrmChangeCal::BtnOK);
        QCOMPARE(env->boxes.calls.size(), 2);
        const DialogCall input = env->boxes.calls.at(0);
        QCOMPARE(input.kind, DialogCall::Input);
        QCOMPARE(input.caption, QStringLiteral("New Serial Number: "));
        QCOMPARE(input.text, QStringLiteral("Serial Number"));
        QCOMPARE(input.fileName, QStringLiteral("None"));
        QCOMPARE(env->boxes.calls.at(1).caption, QStringLiteral("Select Calibration File for TDL0001"));
        QCOMPARE(storedCalFile(QStringLiteral("TDL0001")), calOne);

        showAndFinish([&] { QCOMPARE(gridColumn(0), QStringList{QStringLiteral("TDL0001")}); },
                      &TFrmChangeCal::BtnCancel);
    }

    void cancelledInputGivesNone()
    {
        env->boxes.fileAnswers.append({calOne});
        showAndFinish([&] { doubleClickRow(0); }, &TFrmChangeCal::BtnOK);
        QCOMPARE(storedCalFile(QStringLiteral("None")), calOne);
    }

    void emptyAnswerAsksAgain()
    {
        env->boxes.inputAnswers.append(QString());
        env->boxes.inputAnswers.append(QStringLiteral("S2"));
        showAndFinish([&] { doubleClickRow(0); }, &TFrmChangeCal::BtnCancel);
        QCOMPARE(env->boxes.texts(DialogCall::Input).size(), 2);
        QVERIFY(storedSerials().isEmpty());
    }

    void doubleClickOnSetSerialGoesToFileDialogWithPreset()
    {
        storeAssociation(QStringLiteral("S1"), calOne);
        env->boxes.fileAnswers.append({calTwo});
        showAndFinish(
            [&] {
                doubleClickRow(0);
                QCOMPARE(gridColumn(1), QStringList{calTwo});
            },
            &TFrmChangeCal::BtnOK);
        QCOMPARE(env->boxes.calls.size(), 1);
        QCOMPARE(env->boxes.calls.first().fileName, calOne);
        QVERIFY(!env->boxes.calls.first().multiple);
        QCOMPARE(storedCalFile(QStringLiteral("S1")), calTwo);
    }

    void missingChosenFileLeavesRowUnchanged()
    {
        storeAssociation(QStringLiteral("S1"), calOne);
        env->boxes.fileAnswers.append({env->dataFolder() + QStringLiteral("/MISSING.CAL")});
        showAndFinish([&] { doubleClickRow(0); }, &TFrmChangeCal::BtnOK);
        QCOMPARE(storedCalFile(QStringLiteral("S1")), calOne);
    }

    void addedRowWithoutSerialLeavesNothingBehind()
    {
        storeAssociation(QStringLiteral("S1"), calOne);
        showAndFinish(
            [&] {
                FrmChangeCal->BtnAdd->click();
                QCOMPARE(gridColumn(0), (QStringList{QStringLiteral("S1"), QString()}));
            },
            &TFrmChangeCal::BtnOK);
        QCOMPARE(storedSerials(), QStringList{QStringLiteral("S1")});
        QCOMPARE(storedCalFile(QStringLiteral("S1")), calOne);
    }

    void deleteAskedNoChangesNothing()
    {
        storeAssociation(QStringLiteral("S1"), calOne);
        showAndFinish(
            [&] {
                FrmChangeCal->StringGrid->setCurrentCell(0, 0);
                FrmChangeCal->BtnDelete->click();
                QCOMPARE(gridColumn(0), QStringList{QStringLiteral("S1")});
            },
            &TFrmChangeCal::BtnOK);
        QCOMPARE(env->boxes.calls.size(), 1);
        QCOMPARE(env->boxes.calls.first().text, QStringLiteral("OK To Delete Association to S1?"));
        QCOMPARE(env->boxes.calls.first().caption, QStringLiteral("Delete S1"));
        QCOMPARE(storedCalFile(QStringLiteral("S1")), calOne);
    }

    void deleteThenCancelKeepsStore()
    {
        storeAssociation(QStringLiteral("S1"), calOne);
        env->boxes.yesNoAnswers.append(true);
        showAndFinish(
            [&] {
                FrmChangeCal->StringGrid->setCurrentCell(0, 0);
                FrmChangeCal->BtnDelete->click();
                QCOMPARE(gridColumn(0), QStringList{QString()});
                QVERIFY(FrmChangeCal->serials().isEmpty());
            },
            &TFrmChangeCal::BtnCancel);
        QCOMPARE(storedCalFile(QStringLiteral("S1")), calOne);
    }

    void deleteThenOkRemovesAndReAddedSerialKeepsNewFile()
    {
        storeAssociation(QStringLiteral("S1"), calOne);
        storeAssociation(QStringLiteral("S2"), calOne);
        env->boxes.yesNoAnswers.append(true);
        env->boxes.yesNoAnswers.append(true);
        env->boxes.inputAnswers.append(QStringLiteral("S1"));
        env->boxes.fileAnswers.append({calTwo});
        showAndFinish(
            [&] {
                FrmChangeCal->StringGrid->setCurrentCell(0, 0);
                FrmChangeCal->BtnDelete->click();
                FrmChangeCal->StringGrid->setCurrentCell(0, 0);
                FrmChangeCal->BtnDelete->click();
                FrmChangeCal->BtnDelete->click(); // only the placeholder is left
                FrmChangeCal->BtnAdd->click();
                doubleClickRow(0);
            },
            &TFrmChangeCal::BtnOK);
        QCOMPARE(env->boxes.texts(DialogCall::YesNo).size(), 2);
        QCOMPARE(storedSerials(), QStringList{QStringLiteral("S1")});
        QCOMPARE(storedCalFile(QStringLiteral("S1")), calTwo);
    }

    void geometryIsRestoredAtCreationAndSavedOnClose()
    {
        storeSetting("CCATop", 100);
        storeSetting("CCALeft", 120);
        storeSetting("CCAHeight", 300);
        storeSetting("CCAWidth", 640);
        windows.reset();
        windows = std::make_unique<WindowsUnderTest>();
        QCOMPARE(FrmChangeCal->pos(), QPoint(120, 100));
        QCOMPARE(FrmChangeCal->size(), QSize(640, 300));

        showAndFinish([&] { FrmChangeCal->setGeometry(30, 40, 600, 320); }, &TFrmChangeCal::BtnCancel);
        TRegDef reg;
        reg.SelectRoot(HKEY_CURRENT_USER);
        QVERIFY(reg.OpenPath(SettingsKey, false));
        QCOMPARE(QPoint(reg.ReadNumberOr("CCALeft", 0), reg.ReadNumberOr("CCATop", 0)), FrmChangeCal->pos());
        QCOMPARE(reg.ReadNumberOr("CCAWidth", 0), 600);
        QCOMPARE(reg.ReadNumberOr("CCAHeight", 0), 320);
    }

    void listIsRebuiltAtEveryOpening()
    {
        showAndFinish([&] { QCOMPARE(gridColumn(0), QStringList{QString()}); }, &TFrmChangeCal::BtnCancel);
        storeAssociation(QStringLiteral("S9"), calTwo);
        showAndFinish(
            [&] {
                QCOMPARE(gridColumn(0), QStringList{QStringLiteral("S9")});
                QCOMPARE(gridColumn(1), QStringList{calTwo});
            },
            &TFrmChangeCal::BtnCancel);
    }
};

QTEST_MAIN(ChangeCalTest)
#include "change_cal_test.moc"
