#include "app/layout_family.h"

// Windows keeps "MS Sans Serif" as a bitmap font of a few fixed sizes, and its
// font substitutes put the scalable "Microsoft Sans Serif" in its place.
QString layoutFamily(const QStringList& installed)
{
    const QString substitute = QStringLiteral("Microsoft Sans Serif");
    return installed.contains(substitute) ? substitute : QString();
}
