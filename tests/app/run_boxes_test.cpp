// The boxes a run asks for take the input: the progress dialog is out of
// sight while one is up and comes back after it, and the answer, given with
// the mouse or the keyboard through the window system (which refuses input
// to a window that another modal window blocks), reaches the run.

#include "app_test_support.h"

#include "app/forms.h"
#include "app/frm_main.h"
#include "app/gui_call.h"
#include "app/qt_dialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSemaphore>
#include <QTest>

#include <atomic>

namespace {

const QString Serial = QStringLiteral("TDL0417");

QString outputOf(const QString& dataFile)
{
    return dataFile.left(dataFile.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".DAT");
}

QProgressDialog* progressDialog()
{
    return FrmMain->findChild<QProgressDialog*>();
}

bool progressVisible()
{
    const QProgressDialog* dialog = progressDialog();
    return dialog && dialog->isVisible();
}

// How a box found the progress dialog, and whether the answer got through.
struct SeenBox {
    QString kind;
    bool progressVisible;
    bool ownsInput;
    bool answered;
};

// Answers every modal box as soon as it shows: an open-file dialog with the
// path typed and Enter, a message box with a click on OK or with Enter. A
// box that the input did not reach is closed, so that the run ends.
class BoxAnswerer : public QObject {
public:
    BoxAnswerer(QString path, bool keyboard) : path_(std::move(path)), keyboard_(keyboard)
    {
        QApplication::instance()->installEventFilter(this);
    }

    QList<SeenBox> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        if (window->isWindow() && window->isModal() && window != progressDialog())
            QMetaObject::invokeMethod(
                this,
                [this, box = QPointer<QWidget>(window)] {
                    if (box)
                        answer(box);
                },
                Qt::QueuedConnection);
        return false;
    }

private:
    void answer(QWidget* box)
    {
        seen.append({QString::fromLatin1(box->metaObject()->className()), progressVisible(),
                     QApplication::activeModalWidget() == box, false});
        QWindow* window = box->windowHandle();
        if (auto* files = qobject_cast<QFileDialog*>(box)) {
            files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path_);
            QTest::keyClick(window, Qt::Key_Return);
        } else if (keyboard_) {
            QTest::keyClick(window, Qt::Key_Return);
        } else {
            const QAbstractButton* ok = static_cast<QMessageBox*>(box)->button(QMessageBox::Ok);
            QTest::mouseClick(window, Qt::LeftButton, {}, ok->mapTo(box, ok->rect().center()));
        }
        seen.last().answered = !box->isVisible();
        if (box->isVisible())
            static_cast<QDialog*>(box)->reject();
    }

    QString path_;
    bool keyboard_;
};

// Holds the worker at the run's first progress report, after the boxes,
// until the progress dialog shows again and has the input.
class ReturnWatch : public QObject {
public:
    ReturnWatch()
    {
        FrmMain->conversions.watchProgress([this](const ConversionProgress&) {
            if (watched_.exchange(true))
                return;
            callOnThreadOf(this, [this] {
                if (progressVisible())
                    noteReturn();
                else
                    progressDialog()->installEventFilter(this);
            });
            // Bounded only so that a dialog that never comes back fails the
            // test instead of hanging it.
            cameBack = shown_.tryAcquire(1, 60000);
        });
    }

    std::atomic<bool> cameBack{false};
    bool ownedInput = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            QMetaObject::invokeMethod(this, &ReturnWatch::noteReturn, Qt::QueuedConnection);
        return false;
    }

private:
    void noteReturn()
    {
        ownedInput = QApplication::activeModalWidget() == progressDialog();
        shown_.release();
    }

    std::atomic<bool> watched_{false};
    QSemaphore shown_;
};

} // namespace

class RunBoxesTest : public WindowTestCase {
    Q_OBJECT
    QString calFile, data;
    QtDialogs realBoxes;

    void prepare() override
    {
        calFile = env->copyExample(QStringLiteral("EXAMPLE.CAL"));
        // Long enough for a progress report.
        data = env->writeFile(QStringLiteral("LONG0101A.ASC"), repeatedExample(6));
        setDialogs(&realBoxes);
    }

    void run(const QStringList& files)
    {
        // The dialog's time comes at once, before or while the first box is up.
        FrmMain->conversions.setProgressShowDelay(std::chrono::milliseconds(0));
        FrmMain->CbAutoInclude->setChecked(false);
        FrmMain->setFileLines(files);
        FrmMain->BtnDoCal->click();
    }

    static void verifyBoxesHadTheInput(const QList<SeenBox>& seen, const QStringList& kinds)
    {
        QStringList seenKinds;
        for (const SeenBox& box : seen) {
            seenKinds.append(box.kind);
            QVERIFY2(!box.progressVisible, qPrintable(box.kind + QStringLiteral(" with the progress dialog up")));
            QVERIFY2(box.ownsInput, qPrintable(box.kind + QStringLiteral(" without the input")));
            QVERIFY2(box.answered, qPrintable(box.kind + QStringLiteral(" not answered")));
        }
        QCOMPARE(seenKinds, kinds);
    }

private slots:
    void firstInstrumentIsAnsweredWithTheProgressDialogAside()
    {
        BoxAnswerer answerer(calFile, false);
        ReturnWatch back;
        run({data});
        verifyBoxesHadTheInput(answerer.seen, {QStringLiteral("QMessageBox"), QStringLiteral("QFileDialog")});
        QVERIFY(back.cameBack);
        QVERIFY(back.ownedInput);
        QVERIFY(QFileInfo::exists(outputOf(data)));
        QCOMPARE(storedCalFile(Serial), calFile);
        QCOMPARE(FrmMain->LbRunStatus->text(), QStringLiteral("1 file converted"));
    }

    void damagedFirstFileIsAnsweredWithEnterAndTheRunGoesOn()
    {
        storeAssociation(Serial, calFile);
        const QString damaged =
            env->writeFile(QStringLiteral("BAD0101A.ASC"), repeatedExample(0) + "36000000,zz,yy\r\n");
        BoxAnswerer answerer({}, true);
        ReturnWatch back;
        run({damaged, data});
        verifyBoxesHadTheInput(answerer.seen, {QStringLiteral("QMessageBox")});
        QVERIFY(back.cameBack);
        QVERIFY(back.ownedInput);
        QVERIFY(QFileInfo::exists(outputOf(data)));
        QCOMPARE(FrmMain->LbRunStatus->text(), QStringLiteral("1 file converted, 1 failed"));
    }
};

QTEST_MAIN(RunBoxesTest)
#include "run_boxes_test.moc"
