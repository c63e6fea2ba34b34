#include "program_environment.h"

QProcessEnvironment displayedProgramEnvironment()
{
    // The Windows Qt has only its own platform: the desktop is always there.
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QStringLiteral("QT_QPA_PLATFORM"));
    return variables;
}
