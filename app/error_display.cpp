#include "app/error_display.h"

#include "app/dialogs.h"

#include <QApplication>

void showApplicationError(const std::exception& error)
{
    dialogs().error(QApplication::activeWindow(), QString::fromLocal8Bit(error.what()),
                    QString::fromLatin1(ProgramTitle));
}

void showLogErrorBox(const char* text)
{
    QApplication::beep();
    dialogs().error(QApplication::focusWidget(), QString::fromLocal8Bit(text), QStringLiteral("Error"));
}
