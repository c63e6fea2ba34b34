#include "app/forms.h"

#include "app/frm_change_cal.h"
#include "app/frm_help.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/store_fault_notice.h"

#include <QApplication>
#include <QIcon>

TFrmMain* FrmMain = nullptr;
TFrmMessage* FrmMessage = nullptr;
TFrmChangeCal* FrmChangeCal = nullptr;
TFrmHelp* FrmHelp = nullptr;

void createWindows(const QStringList& commandLineFiles)
{
    startStoreFaultNotice();
    // Every window, dialogs and boxes included, carries the program's icon;
    // the icon is compiled into this library, which must load it itself.
    Q_INIT_RESOURCE(icons);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/orvantis.png")));
    FrmMain = new TFrmMain(commandLineFiles);
    FrmMessage = new TFrmMessage();
    FrmChangeCal = new TFrmChangeCal();
    FrmHelp = new TFrmHelp();
    if (!terminationRequested())
        FrmMain->show();
}

bool terminationRequested()
{
    return FrmMain && FrmMain->TerminateRequested;
}

void destroyWindows()
{
    delete FrmHelp;
    delete FrmChangeCal;
    delete FrmMessage;
    delete FrmMain;
    FrmHelp = nullptr;
    FrmChangeCal = nullptr;
    FrmMessage = nullptr;
    FrmMain = nullptr;
}
