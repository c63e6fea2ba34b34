#include "app/error_display.h"

#include "app/dialogs.h"
#include "app/store_fault_notice.h"

#include <QApplication>

void showApplicationError(const std::exception& error)
{
    // A store that cannot be used has a box of its own, once per run.
    if (const auto* storeError = dynamic_cast<const StoreError*>(&error); storeError && storeError->cause()) {
        tellStoreFault(*storeError->cause());
        return;
    }
    dialogs().error(QApplication::activeWindow(), QString::fromLocal8Bit(error.what()),
                    QString::fromLatin1(ProgramTitle));
}

void showLogErrorBox(const char* text)
{
    QApplication::beep();
    dialogs().error(QApplication::focusWidget(), QString::fromLocal8Bit(text), QStringLiteral("Error"));
}
