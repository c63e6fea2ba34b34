#include "app/store_fault_notice.h"

#include "app/dialogs.h"

#include <QApplication>

namespace {

bool told = false;

} // namespace

void startStoreFaultNotice()
{
    told = false;
}

void tellStoreFault(const StoreFault& fault)
{
    if (told)
        return;
    told = true;
    QString text = QString::fromLocal8Bit(describeStoreFault(fault));
    text[0] = text[0].toUpper();
    text += QStringLiteral(".\n\nSettings and associations cannot be saved; Orvantis goes on with what it can read.");
    dialogs().error(QApplication::activeWindow(), text, QString::fromLatin1(ProgramTitle));
}

void tellStoreFault(const TRegDef& reg)
{
    if (const StoreFault* fault = reg.Fault())
        tellStoreFault(*fault);
}

bool storeFaultTold()
{
    return told;
}
