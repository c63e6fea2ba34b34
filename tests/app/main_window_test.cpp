// The main and help windows as laid out: captions, positions, fonts, tab
// order, and which windows exist and show at start-up.

#include "app_test_support.h"

#include "app/app_font.h"
#include "app/frm_change_cal.h"
#include "app/frm_help.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/forms.h"
#include "app/layout_family.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>

class MainWindowTest : public WindowTestCase {
    Q_OBJECT

    static QString caption(const QWidget* control)
    {
        if (const auto* button = qobject_cast<const QAbstractButton*>(control))
            return button->text();
        return qobject_cast<const QLabel*>(control)->text();
    }

private slots:
    void windowFrame()
    {
        QCOMPARE(FrmMain->windowTitle(), QStringLiteral("Orvantis 1.33"));
        QCOMPARE(FrmMain->size(), QSize(554, 333));
        QCOMPARE(FrmMain->minimumSize(), FrmMain->maximumSize());
        QVERIFY(!(FrmMain->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(FrmMain->windowFlags() & Qt::WindowMinimizeButtonHint);
    }

    void onlyMainWindowIsShownAtStart()
    {
        QVERIFY(FrmMain->isVisible());
        QVERIFY(FrmMessage && !FrmMessage->isVisible());
        QVERIFY(FrmChangeCal && !FrmChangeCal->isVisible());
        QVERIFY(FrmHelp && !FrmHelp->isVisible());
        QCOMPARE(FrmMessage->windowTitle(), QStringLiteral("FrmMessage"));
        QCOMPARE(FrmMessage->geometry().size(), QSize(474, 307));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("LbInFile") << "LbInFile"
                                  << "Input File(s):" << QRect(8, 16, 72, 13);
        QTest::newRow("BtnOpenInFile") << "BtnOpenInFile"
                                       << "..." << QRect(512, 16, 25, 25);
        QTest::newRow("CbAutoInclude") << "CbAutoInclude"
                                       << "Automatcially include non-selected channels in same data set."
                                       << QRect(88, 104, 321, 17);
        QTest::newRow("StaticText1") << "StaticText1"
                                     << "Cal Type:" << QRect(8, 8, 58, 17);
        QTest::newRow("RbRaw") << "RbRaw"
                               << "Raw" << QRect(72, 8, 49, 17);
        QTest::newRow("RbPixAdjust") << "RbPixAdjust"
                                     << "Pixel Adjust" << QRect(136, 8, 81, 17);
        QTest::newRow("RbDarkAdjust") << "RbDarkAdjust"
                                      << "Dark Adjust" << QRect(232, 8, 81, 17);
        QTest::newRow("RbNormTime") << "RbNormTime"
                                    << "Normalize Time" << QRect(328, 8, 97, 17);
        QTest::newRow("RbFullCal") << "RbFullCal"
                                   << "Full Calibration" << QRect(440, 8, 89, 17);
        QTest::newRow("Label1") << "Label1"
                                << "Output Type:" << QRect(8, 8, 75, 13);
        QTest::newRow("CbBinary") << "CbBinary"
                                  << "Binary Output" << QRect(104, 8, 97, 17);
        QTest::newRow("CbTranspose") << "CbTranspose"
                                     << "Transposed ASCII Output" << QRect(200, 8, 145, 17);
        QTest::newRow("LbDelimiter") << "LbDelimiter"
                                     << "ASCII Delimiter:" << QRect(8, 32, 90, 13);
        QTest::newRow("RbComma") << "RbComma"
                                 << "Comma" << QRect(104, 33, 81, 16);
        QTest::newRow("RbSpace") << "RbSpace"
                                 << "Space" << QRect(160, 33, 81, 16);
        QTest::newRow("RbTab") << "RbTab"
                               << "Tab" << QRect(216, 33, 81, 16);
        QTest::newRow("RbOtherChar") << "RbOtherChar"
                                     << "Other (Char):" << QRect(264, 33, 81, 16);
        QTest::newRow("RbOtherCode") << "RbOtherCode"
                                     << "Other (Code):" << QRect(400, 33, 81, 16);
        QTest::newRow("Label2") << "Label2"
                                << "Options:" << QRect(8, 8, 48, 13);
        QTest::newRow("CbShowDebug") << "CbShowDebug"
                                     << "Show Debug Info" << QRect(104, 8, 113, 17);
        QTest::newRow("CbIgnoreImmersion") << "CbIgnoreImmersion"
                                           << "Ignore Immersion (Not Saved)" << QRect(216, 8, 177, 17);
        QTest::newRow("BtnHelp") << "BtnHelp"
                                 << "Help" << QRect(8, 272, 105, 25);
        QTest::newRow("BtnChangeCals") << "BtnChangeCals"
                                       << "Change Cal File Associations" << QRect(136, 272, 153, 25);
        QTest::newRow("BtnAssociateASCFiles") << "BtnAssociateASCFiles"
                                              << "Associate ASC Files" << QRect(304, 272, 113, 25);
        QTest::newRow("BtnAssociateBINFiles") << "BtnAssociateBINFiles"
                                              << "Associate BIN Files" << QRect(424, 272, 121, 25);
        QTest::newRow("BtnDoCal") << "BtnDoCal"
                                  << "Perform Cal" << QRect(216, 304, 169, 25);
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, geometry);
        const QHash<QString, QWidget*> members{{"LbInFile", FrmMain->LbInFile},
                                               {"BtnOpenInFile", FrmMain->BtnOpenInFile},
                                               {"CbAutoInclude", FrmMain->CbAutoInclude},
                                               {"StaticText1", FrmMain->StaticText1},
                                               {"RbRaw", FrmMain->RbRaw},
                                               {"RbPixAdjust", FrmMain->RbPixAdjust},
                                               {"RbDarkAdjust", FrmMain->RbDarkAdjust},
                                               {"RbNormTime", FrmMain->RbNormTime},
                                               {"RbFullCal", FrmMain->RbFullCal},
                                               {"Label1", FrmMain->Label1},
                                               {"CbBinary", FrmMain->CbBinary},
                                               {"CbTranspose", FrmMain->CbTranspose},
                                               {"LbDelimiter", FrmMain->LbDelimiter},
                                               {"RbComma", FrmMain->RbComma},
                                               {"RbSpace", FrmMain->RbSpace},
                                               {"RbTab", FrmMain->RbTab},
                                               {"RbOtherChar", FrmMain->RbOtherChar},
                                               {"RbOtherCode", FrmMain->RbOtherCode},
                                               {"Label2", FrmMain->Label2},
                                               {"CbShowDebug", FrmMain->CbShowDebug},
                                               {"CbIgnoreImmersion", FrmMain->CbIgnoreImmersion},
                                               {"BtnHelp", FrmMain->BtnHelp},
                                               {"BtnChangeCals", FrmMain->BtnChangeCals},
                                               {"BtnAssociateASCFiles", FrmMain->BtnAssociateASCFiles},
                                               {"BtnAssociateBINFiles", FrmMain->BtnAssociateBINFiles},
                                               {"BtnDoCal", FrmMain->BtnDoCal}};
        const QWidget* control = members.value(name);
        QCOMPARE(caption(control), text);
        QCOMPARE(control->geometry(), geometry);
    }

    void panelsAndFields()
    {
        QCOMPARE(FrmMain->Panel3->geometry(), QRect(8, 128, 537, 33));
        QCOMPARE(FrmMain->Panel1->geometry(), QRect(8, 168, 537, 57));
        QCOMPARE(FrmMain->Panel4->geometry(), QRect(8, 232, 537, 33));
        QCOMPARE(FrmMain->MemoFile->geometry(), QRect(88, 16, 417, 81));
        QCOMPARE(FrmMain->EdOtherChar->geometry(), QRect(352, 28, 41, 21));
        QCOMPARE(FrmMain->EdOtherCode->geometry(), QRect(488, 28, 41, 21));
        QCOMPARE(FrmMain->RbRaw->parentWidget(), FrmMain->Panel3);
        QCOMPARE(FrmMain->RbComma->parentWidget(), FrmMain->Panel1);
        QCOMPARE(FrmMain->CbShowDebug->parentWidget(), FrmMain->Panel4);
    }

    void emphasisedCaptions()
    {
        QVERIFY(FrmMain->BtnDoCal->font().bold());
        QCOMPARE(FrmMain->BtnDoCal->palette().color(QPalette::ButtonText), QColor(Qt::red));
        for (const QWidget* label :
             {static_cast<QWidget*>(FrmMain->LbInFile), static_cast<QWidget*>(FrmMain->StaticText1),
              static_cast<QWidget*>(FrmMain->Label1), static_cast<QWidget*>(FrmMain->LbDelimiter),
              static_cast<QWidget*>(FrmMain->Label2)})
            QVERIFY(label->font().bold());
        QVERIFY(!FrmMain->CbBinary->font().bold());
    }

    void everyCaptionFitsItsControl()
    {
        for (const QWidget* form : {static_cast<QWidget*>(FrmMain), static_cast<QWidget*>(FrmChangeCal)}) {
            const auto clipped = clippedCaptions(form);
            QString names;
            for (const QWidget* control : clipped)
                names += caption(control) + QLatin1Char(' ');
            QVERIFY2(clipped.isEmpty(), qPrintable(names));
        }
        QVERIFY(FrmMain->font().pixelSize() <= DesignFontPixels);
        QVERIFY(FrmMain->font().pixelSize() >= 8);
        // Independently of the helper: the longest caption at the chosen font.
        const QFontMetrics metrics(FrmMain->CbAutoInclude->font());
        QVERIFY(metrics.horizontalAdvance(FrmMain->CbAutoInclude->text()) < FrmMain->CbAutoInclude->width());
    }

    // A bitmap face would draw every size but its own ones blurred or in
    // another font; on Windows the face is the one substituted for the
    // design font's name, even where the bitmap one is installed too.
    void layoutFontIsAScalableFaceOfTheDesignFont()
    {
        const QFontInfo shown(layoutFont());
        QVERIFY2(QFontDatabase::isSmoothlyScalable(shown.family()), qPrintable(shown.family()));
        QCOMPARE(shown.pixelSize(), DesignFontPixels);
        const QStringList both{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif")};
        QCOMPARE(layoutFamily(both), QSysInfo::productType() == QStringLiteral("windows")
                                         ? QStringLiteral("Microsoft Sans Serif")
                                         : QStringLiteral("MS Sans Serif"));
        QCOMPARE(layoutFamily({QStringLiteral("DejaVu Sans")}), QString());
    }

    void tabOrder()
    {
        const QList<QWidget*> expected{FrmMain->BtnOpenInFile,
                                       FrmMain->BtnDoCal,
                                       FrmMain->MemoFile,
                                       FrmMain->CbAutoInclude,
                                       FrmMain->BtnChangeCals,
                                       FrmMain->BtnAssociateASCFiles,
                                       FrmMain->BtnAssociateBINFiles,
                                       FrmMain->RbComma,
                                       FrmMain->RbSpace,
                                       FrmMain->RbTab,
                                       FrmMain->RbOtherCode,
                                       FrmMain->EdOtherCode,
                                       FrmMain->RbOtherChar,
                                       FrmMain->EdOtherChar,
                                       FrmMain->CbTranspose,
                                       FrmMain->CbBinary,
                                       FrmMain->RbRaw,
                                       FrmMain->RbPixAdjust,
                                       FrmMain->RbDarkAdjust,
                                       FrmMain->RbNormTime,
                                       FrmMain->RbFullCal,
                                       FrmMain->BtnHelp,
                                       FrmMain->CbIgnoreImmersion,
                                       FrmMain->CbShowDebug};
        // Inner parts of a control (a memo's viewport) take no tab focus.
        const auto nextTabStop = [](QWidget* widget) {
            do
                widget = widget->nextInFocusChain();
            while (!(widget->focusPolicy() & Qt::TabFocus));
            return widget;
        };
        for (qsizetype i = 1; i < expected.size(); ++i)
            QCOMPARE(nextTabStop(expected.at(i - 1)), expected.at(i));
    }

    void exactlyOneButtonPerGroup()
    {
        FrmMain->RbRaw->setChecked(true);
        QVERIFY(!FrmMain->RbFullCal->isChecked());
        QVERIFY(FrmMain->RbComma->isChecked());
        FrmMain->RbOtherCode->setChecked(true);
        QVERIFY(!FrmMain->RbComma->isChecked());
        QVERIFY(FrmMain->RbRaw->isChecked());
    }

    void helpWindowShowsTextOnceAndStaysSingle()
    {
        QCOMPARE(FrmHelp->windowTitle(), QStringLiteral("Orvantis Help"));
        const QStringList lines = FrmHelp->Memo1->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 41);
        QCOMPARE(lines.at(0), QStringLiteral("One can select:"));
        QCOMPARE(lines.at(2), QStringLiteral("* Cal type -- most users will want \"Full calibration\""));
        QCOMPARE(lines.at(14), QStringLiteral("calibration "));
        QCOMPARE(lines.at(28), QStringLiteral("\"Perform Cal\" button (as opposed to double clicking from "));
        QCOMPARE(lines.at(39), QStringLiteral("Button."));
        QCOMPARE(lines.at(40), QString());
        QVERIFY(!FrmHelp->Memo1->isReadOnly());
        QCOMPARE(FrmHelp->Memo1->font().pixelSize(), 16);
        const qsizetype before = QApplication::topLevelWidgets().size();
        FrmMain->BtnHelp->click();
        FrmMain->BtnHelp->click();
        QVERIFY(FrmHelp->isVisible());
        QCOMPARE(QApplication::topLevelWidgets().size(), before);
        QVERIFY(FrmMain->isEnabled());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
