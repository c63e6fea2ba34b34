#pragma once
// Names in a NetCDF output. The spectra's variable is named for what it
// holds: the calibration's channel type (Ed, Lu, Es, ...) at full cal, the
// level's counts below. Every per-spectrum variable carries that name as a
// prefix (Ed_depth, Ed_pixel_set, ...), so that the channels of one cast
// merge into one dataset and never mix silently.

#include "calibration/cal_table.h"

#include <string>

std::string dataVariableName(int level, const CalTable& calibration, int channel);

// "name" for pixel set 1, "name_n" for set n.
std::string numbered(const std::string& name, int number);

// The CF standard name of a calibrated channel type, or null when the
// table has none that fits.
const char* standardNameOf(const std::string& channelType);
