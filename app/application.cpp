#include "app/application.h"

#include "app/dialogs.h"
#include "app/error_display.h"
#include "orvantis_version.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromLatin1(ProgramTitle));
    setApplicationVersion(QString::fromLatin1(ORVANTIS_VERSION));
    setDesktopFileName(QStringLiteral("orvantis")); // Wayland matches windows to the desktop entry by it
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
