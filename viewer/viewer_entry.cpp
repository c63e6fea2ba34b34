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
    TFrmViewer* viewer = newViewer(host, lifetime);
    for (qsizetype i = 0; i < files.size(); ++i)
        viewer->openOrTell(files[i], i > 0);
}

int plotToImage(ViewerHost& host, const PlotRequest& request)
{
    try {
        TFrmViewer viewer(host);
        for (const QString& file : request.files)
            viewer.addFile(file);
        if (!std::isnan(request.wavelength))
            viewer.chooseX(request.wavelength);
        viewer.setProfile(request.profile);
        viewer.setLogarithmic(request.logarithmic);
        viewer.exportImage(request.image, QSize(1200, 900));
        return 0;
    } catch (const std::exception& error) {
        host.refuse(QString::fromStdString(error.what()));
        return 1;
    }
}
