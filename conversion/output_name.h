#pragma once
#include "conversion/conversion_options.h"

#include <string>

// Name of the output file beside an input file: the input path cut at the
// last '.' of its file name (the whole path when the name has none; a '.' in
// a folder name never counts) plus the extension that the processing level
// and the output form call for: .RAW/.DAT, .BRW/.BDT, and .RAW.nc/.nc, so
// that raw and calibrated NetCDF outputs of one input stay apart as the
// others do.
std::string outputFileName(const std::string& inputPath, int level, OutputForm form);
inline std::string outputFileName(const std::string& inputPath, int level, bool binary)
{
    return outputFileName(inputPath, level, binary ? OutputForm::Binary : OutputForm::Text);
}

// Where the file name begins in a path: after its last folder separator.
std::string::size_type fileNameStart(const std::string& path);
