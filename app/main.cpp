// Orvantis: converts Tidelume radiometer recordings into calibrated spectra.
// Data files named on the command line are converted at once with the
// stored settings, and the program then ends.

#include "app/application.h"
#include "app/display_check.h"
#include "app/error_display.h"
#include "app/qt_dialogs.h"
#include "app/forms.h"
#include "core/log.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (!displayAvailable()) {
        std::fputs("orvantis: no display is available for the windows.\n"
                   "Convert data files without windows with:\n"
                   "  orvantis-cli --cal CALFILE DATAFILE...\n",
                   stderr);
        return 2;
    }
    TApplication app(argc, argv);
    QtDialogs boxes;
    setDialogs(&boxes);
    setErrorBoxHook(showLogErrorBox);
    QStringList files = TApplication::arguments();
    files.removeFirst(); // the program's own path
    try {
        createWindows(files);
        if (!terminationRequested())
            TApplication::exec();
    } catch (const std::exception& error) {
        showApplicationError(error);
    }
    destroyWindows();
    setErrorBoxHook(nullptr);
    return 0;
}
