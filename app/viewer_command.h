#pragma once
// The viewer's command-line forms:
//   orvantis --view FILE...
//   orvantis --plot OUTPUTFILE --output IMAGE [--wavelength NM]
// Any other command line is the converter's list of data files.

#include <QString>
#include <QStringList>

#include <limits>

struct ViewerCommand {
    enum Kind { None, View, Plot };
    Kind kind = None;
    QStringList files;                                            // --view's files, or --plot's one output file
    QString image;                                                // --output
    double wavelength = std::numeric_limits<double>::quiet_NaN(); // --wavelength
    QString error;                                                // set when the command line is a wrong viewer form
};

ViewerCommand parseViewerCommand(const QStringList& arguments);

// The usage lines of the viewer's forms.
QString viewerUsage();
