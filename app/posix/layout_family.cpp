#include "app/layout_family.h"

// A Linux desktop has the design font only when a package of Windows fonts
// brings it, as a scalable face.
QString layoutFamily(const QStringList& installed)
{
    const QString design = QStringLiteral("MS Sans Serif");
    return installed.contains(design) ? design : QString();
}
