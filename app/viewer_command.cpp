#include "app/viewer_command.h"

#include <cmath>

namespace {

ViewerCommand plotCommand(const QStringList& arguments)
{
    ViewerCommand command;
    command.kind = ViewerCommand::Plot;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QStringLiteral("--output") && hasValue) {
            command.image = arguments[++i];
        } else if (argument == QStringLiteral("--wavelength") && hasValue) {
            bool number = false;
            command.wavelength = arguments[++i].toDouble(&number);
            if (!number || !std::isfinite(command.wavelength))
                command.error = QStringLiteral("--wavelength needs a number, not \"%1\"").arg(arguments[i]);
        } else if (!argument.startsWith(QStringLiteral("--")) && command.files.isEmpty()) {
            command.files << argument;
        } else {
            command.error = QStringLiteral("unexpected \"%1\"").arg(argument);
        }
        if (!command.error.isEmpty())
            return command;
    }
    if (command.files.isEmpty() || command.image.isEmpty())
        command.error = QStringLiteral("--plot needs an output file and --output IMAGE");
    return command;
}

} // namespace

ViewerCommand parseViewerCommand(const QStringList& arguments)
{
    ViewerCommand command;
    if (arguments.isEmpty())
        return command;
    if (arguments.front() == QStringLiteral("--plot"))
        return plotCommand(arguments);
    if (arguments.front() == QStringLiteral("--view")) {
        command.kind = ViewerCommand::View;
        command.files = arguments.mid(1);
    }
    return command;
}

QString viewerUsage()
{
    return QStringLiteral("  orvantis --view FILE...\n"
                          "  orvantis --plot OUTPUTFILE --output IMAGE.png|.svg|.pdf [--wavelength NM]\n");
}
