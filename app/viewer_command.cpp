#include "app/viewer_command.h"

#include <cmath>

namespace {

// Takes the option at arguments[i] and its value, if it is one the form
// knows; false when it is not.
bool takeOption(ViewerCommand& command, const QStringList& arguments, qsizetype& i)
{
    const QString& argument = arguments[i];
    const bool plot = command.kind == ViewerCommand::Plot;
    if (plot && argument == QStringLiteral("--profile"))
        return command.plot.profile = true;
    if (plot && argument == QStringLiteral("--log"))
        return command.plot.logarithmic = true;
    if (argument == QStringLiteral("--cal-any-serial"))
        return command.calAnySerial = true;
    if (i + 1 >= arguments.size())
        return false;
    const QString& value = arguments[i + 1];
    if (plot && argument == QStringLiteral("--output")) {
        command.plot.image = value;
    } else if (plot && argument == QStringLiteral("--wavelength")) {
        bool number = false;
        command.plot.wavelength = value.toDouble(&number);
        if (!number || !std::isfinite(command.plot.wavelength))
            command.error = QStringLiteral("--wavelength needs a number, not \"%1\"").arg(value);
    } else if (argument == QStringLiteral("--level")) {
        bool number = false;
        command.level = value.toInt(&number);
        if (!number || command.level < 0 || command.level > 4)
            command.error = QStringLiteral("--level needs a level from 0 to 4, not \"%1\"").arg(value);
    } else if (argument == QStringLiteral("--cal")) {
        command.calFile = value;
    } else {
        return false;
    }
    ++i;
    return true;
}

} // namespace

ViewerCommand parseViewerCommand(const QStringList& arguments)
{
    ViewerCommand command;
    if (arguments.isEmpty())
        return command;
    if (arguments.front() == QStringLiteral("--plot"))
        command.kind = ViewerCommand::Plot;
    else if (arguments.front() == QStringLiteral("--view"))
        command.kind = ViewerCommand::View;
    else
        return command;
    for (qsizetype i = 1; i < arguments.size() && command.error.isEmpty(); ++i) {
        if (!arguments[i].startsWith(QStringLiteral("--")))
            command.plot.files << arguments[i];
        else if (!takeOption(command, arguments, i))
            command.error = QStringLiteral("unexpected \"%1\"").arg(arguments[i]);
    }
    if (command.error.isEmpty() && command.kind == ViewerCommand::Plot &&
        (command.plot.files.isEmpty() || command.plot.image.isEmpty()))
        command.error = QStringLiteral("--plot needs an output file and --output IMAGE");
    return command;
}

QString viewerUsage()
{
    return QStringLiteral(
        "  orvantis --view FILE... [--level N] [--cal CALFILE [--cal-any-serial]]\n"
        "  orvantis --plot FILE... --output IMAGE.png|.svg|.pdf [--wavelength NM] [--profile] [--log]\n"
        "                 [--level N] [--cal CALFILE [--cal-any-serial]]\n");
}
