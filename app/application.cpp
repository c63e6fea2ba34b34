#include "app/application.h"

#include "app/dialogs.h"
#include "app/error_display.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(ProgramTitle));
    setApplicationVersion(QStringLiteral("1.33"));
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
