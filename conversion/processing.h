#pragma once
// The processing entry: one data file converted with the conversion's
// options, identification and calibration.

#include "conversion/conversion.h"

#include <optional>
#include <string>

// Logs what is about to be converted and how: the file, the level and
// whether the output is transposed. Returns the options that apply (binary
// and NetCDF outputs are never transposed), or nothing for an invalid level.
std::optional<ConversionOptions> announceConversion(const Log& log, const char* dataFileName,
                                                    const ConversionOptions& requested);

// Announces and converts one data file; the output goes beside the input,
// named by level and form.
FileResult convertFile(const Conversion& conversion, const std::string& dataFileName, const std::string& calFileName);

// The conversion after its announcement, with the options that apply.
FileResult convertAnnouncedFile(const Conversion& conversion, const char* dataFileName, const char* calFileName);

// Opens the data file and converts its spectra, without the messages that
// frame a conversion. Only a file converted at least in part replaces its
// previous output.
FileResult convertData(const Conversion& conversion, const char* dataFileName, const char* calFileName);
