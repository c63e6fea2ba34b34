// The viewer's entry points in a build with the plotting library.

#include "app/viewer_entry.h"

#include "app/frm_viewer.h"

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

TFrmViewer* newViewer()
{
    auto* viewer = new TFrmViewer();
    viewer->setAttribute(Qt::WA_DeleteOnClose);
    viewer->show();
    return viewer;
}

} // namespace

void openViewers(const QStringList& files)
{
    if (files.isEmpty())
        newViewer();
    for (const QString& file : files)
        newViewer()->openOrTell(file);
}

int plotToImage(const QString& outputFile, const QString& image, double wavelength)
{
    try {
        TFrmViewer viewer;
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
