#include "program_environment.h"

QProcessEnvironment displayedProgramEnvironment()
{
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        variables.remove(QString::fromLatin1(name));
    variables.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return variables;
}
