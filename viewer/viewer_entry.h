#pragma once
// The ways to the spectra viewer. A build without the plotting library
// says so wherever the viewer is asked for.

#include "viewer/viewer_host.h"

#include <QString>
#include <QStringList>

// Whether this build has the viewer.
bool viewerBuilt();

// The sentence that tells a user the viewer is missing.
QString viewerMissingText();

// Whether viewer windows are windows of the main program, or the program
// itself: then closing the last of them ends the program's event loop.
enum class ViewerLifetime { WindowOfProgram, EndsProgram };

// Opens a viewer window for each file (one with an empty view when none);
// the host outlives the windows.
void openViewers(ViewerHost& host, const QStringList& files, ViewerLifetime lifetime = ViewerLifetime::WindowOfProgram);

// Renders the file's plots into the image and returns 0, or writes the
// reason to standard error and returns 1. A wavelength (NaN for none)
// chooses the value plotted against spectrum number.
int plotToImage(ViewerHost& host, const QString& outputFile, const QString& image, double wavelength);
