#include "app/forms.h"

#include "app/frm_change_cal.h"
#include "app/frm_help.h"
#include "app/frm_main.h"
#include "app/frm_message.h"
#include "app/store_fault_notice.h"

TFrmMain* FrmMain = nullptr;
TFrmMessage* FrmMessage = nullptr;
TFrmChangeCal* FrmChangeCal = nullptr;
TFrmHelp* FrmHelp = nullptr;

void createWindows(const QStringList& commandLineFiles)
{
    startStoreFaultNotice();
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
