// The viewer's entry points in a build without the plotting library.

#include "viewer/viewer_entry.h"

#include <QMessageBox>

bool viewerBuilt()
{
    return false;
}

QString viewerMissingText()
{
    return QStringLiteral("The spectra viewer is not in this build of Orvantis.");
}

void openViewers(ViewerHost&, const QStringList&, ViewerLifetime)
{
    QMessageBox::information(nullptr, QStringLiteral("Orvantis"), viewerMissingText());
}

int plotToImage(ViewerHost& host, const PlotRequest&)
{
    host.refuse(viewerMissingText());
    return 2;
}
