#pragma once
// The viewer's command-line forms:
//   orvantis --view FILE... [--level N] [--cal CALFILE [--cal-any-serial]]
//   orvantis --plot FILE... --output IMAGE [--wavelength NM] [--profile] [--log] [--level N]
//                  [--cal CALFILE [--cal-any-serial]]
// A FILE is an output, or a recording converted for the viewer alone at the
// level (4 unless given) with the calibration associated with its
// instrument or the one given. Any other command line is the converter's
// list of data files.

#include "viewer/viewer_entry.h"

#include <QString>
#include <QStringList>

struct ViewerCommand {
    enum Kind { None, View, Plot };
    Kind kind = None;
    PlotRequest plot; // the files of either form; the rest for --plot
    int level = 4;    // --level
    QString calFile;  // --cal
    bool calAnySerial = false; // --cal-any-serial
    QString error;    // set when the command line is a wrong viewer form
};

ViewerCommand parseViewerCommand(const QStringList& arguments);

// The usage lines of the viewer's forms.
QString viewerUsage();
