#pragma once
// The ways to the spectra viewer. A build without the plotting library
// says so wherever the viewer is asked for.

#include "viewer/viewer_host.h"

#include <QString>
#include <QStringList>

#include <limits>

// Whether this build has the viewer.
bool viewerBuilt();

// The sentence that tells a user the viewer is missing.
QString viewerMissingText();

// Whether viewer windows are windows of the main program, or the program
// itself: then closing the last of them ends the program's event loop.
enum class ViewerLifetime { WindowOfProgram, EndsProgram };

// Opens one viewer window showing every file, each a series of its own (an
// empty view when none); the host outlives the window.
void openViewers(ViewerHost& host, const QStringList& files, ViewerLifetime lifetime = ViewerLifetime::WindowOfProgram);

// An image of the viewer's plots drawn without a window.
struct PlotRequest {
    QStringList files; // each a series
    QString image;
    // Chooses the value plotted below; NaN keeps the middle one.
    double wavelength = std::numeric_limits<double>::quiet_NaN();
    bool profile = false; // the value against depth rather than spectrum number
    bool logarithmic = false;
};

// Renders the files' plots into the image and returns 0, or tells the host
// the reason and returns 1.
int plotToImage(ViewerHost& host, const PlotRequest& request);
