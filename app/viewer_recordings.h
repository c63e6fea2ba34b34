#pragma once
// A recording (.ASC, .BIN) opened in the viewer is converted for the viewer
// alone: through the converter's own driver, at the level asked, with the
// calibration associated with the instrument's serial or the one given,
// into a temporary folder that lives as long as the viewer reads it.
// Nothing is written beside the recording and no association is stored.

#include "viewer/viewer_host.h"

#include <string>

struct RecordingOptions {
    int level = 4;
    std::string calFile; // empty: the one associated with the serial
    bool calAnySerial = false; // convert with another instrument's calibration too
};

// The output to read for the file: the file itself when it is no recording.
// Throws OutputReadError saying why a recording cannot be converted.
ViewerInput viewerInputFor(const std::string& path, const RecordingOptions& options);
