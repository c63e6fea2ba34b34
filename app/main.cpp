// Orvantis: converts Tidelume radiometer recordings into calibrated spectra.
// Data files named on the command line are converted at once with the
// stored settings, and the program then ends.

#include "app/app_viewer_host.h"
#include "app/application.h"
#include "app/display_check.h"
#include "app/error_display.h"
#include "app/qt_dialogs.h"
#include "app/forms.h"
#include "app/viewer_command.h"
#include "viewer/viewer_entry.h"
#include "conversion/interrupt_cleanup.h"

#include <cstdio>

namespace {

QStringList commandArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The viewer's command lines: a plot drawn without any display, or viewer
// windows instead of the main window.
int runViewerCommand(const ViewerCommand& command, int argc, char** argv)
{
    if (!command.error.isEmpty()) {
        tellRefusal(QStringLiteral("%1\nUse:\n%2").arg(command.error, viewerUsage().chopped(1)));
        return 2;
    }
    if (!viewerBuilt()) {
        tellRefusal(viewerMissingText());
        return 2;
    }
    AppViewerHost host({command.level, command.calFile.toStdString(), command.calAnySerial});
    if (command.kind == ViewerCommand::Plot) {
        qputenv("QT_QPA_PLATFORM", windowlessPlatform());
        TApplication app(argc, argv);
        return plotToImage(host, command.plot);
    }
    if (!displayAvailable()) {
        tellRefusal(QStringLiteral("no display is available for the viewer; draw an image with\n"
                                   "  orvantis --plot OUTPUTFILE --output IMAGE"));
        return 2;
    }
    TApplication app(argc, argv);
    QtDialogs boxes; // the viewer's error boxes, a failed export's too
    setDialogs(&boxes);
    openViewers(host, command.plot.files, ViewerLifetime::EndsProgram);
    return TApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    installInterruptCleanup();
    const ViewerCommand command = parseViewerCommand(commandArguments(argc, argv));
    if (command.kind != ViewerCommand::None || !command.error.isEmpty())
        return runViewerCommand(command, argc, argv);
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
    return 0;
}
