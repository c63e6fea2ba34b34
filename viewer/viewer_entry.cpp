// The viewer's entry points in a build with the plotting library.

#include "viewer/viewer_entry.h"

#include "viewer/frm_viewer.h"

#include <cmath>

bool viewerBuilt()
{
    return true;
}

QString viewerMissingText()
{
    return {};
}

namespace {

TFrmViewer* newViewer(ViewerHost& host)
{
    auto* viewer = new TFrmViewer(host);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
    return viewer;
}

} // namespace

void openViewers(ViewerHost& host, const QStringList& files)
{
    if (files.isEmpty())
        newViewer(host);
    for (const QString& file : files)
        newViewer(host)->openOrTell(file);
}

int plotToImage(ViewerHost& host, const QString& outputFile, const QString& image, double wavelength)
{
    try {
        TFrmViewer viewer(host);
        viewer.loadFile(outputFile);
        if (!std::isnan(wavelength))
            viewer.chooseX(wavelength);
        viewer.exportImage(image, QSize(1200, 900));
        return 0;
    } catch (const std::exception& error) {
        host.refuse(QString::fromStdString(error.what()));
        return 1;
    }
}
