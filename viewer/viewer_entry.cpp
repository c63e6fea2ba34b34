// The viewer's entry points in a build with the plotting library.

#include "viewer/viewer_entry.h"

#include "viewer/frm_viewer.h"

#include <cmath>
#include <cstdio>

bool viewerBuilt()
{
    return true;
}

QString viewerMissingText()
{
    return {};
}

namespace {

TFrmViewer* newViewer(ViewerHost& host, ViewerLifetime lifetime)
{
    auto* viewer = new TFrmViewer(host);
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->setAttribute(Qt::WA_QuitOnClose, lifetime == ViewerLifetime::EndsProgram);
    viewer->show();
    return viewer;
}

} // namespace

void openViewers(ViewerHost& host, const QStringList& files, ViewerLifetime lifetime)
{
    if (files.isEmpty())
        newViewer(host, lifetime);
    for (const QString& file : files)
        newViewer(host, lifetime)->openOrTell(file);
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
        std::fprintf(stderr, "orvantis: %s\n", error.what());
        return 1;
    }
}
