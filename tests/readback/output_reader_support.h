#pragma once
// Output files of the example data made by the real converter, and all the
// spectra of an output file read back.

#include "readback/output_reader.h"
#include "temp_dir.h"

#include <string>
#include <vector>

// Converts one example input (copied into `dir` with the calibration file)
// at `level` into the form asked for; returns the output's path.
std::string convertExample(const TempDir& dir, const std::string& example, int level, bool transpose, bool binary,
                           char columnDelimiter);

std::vector<OutputSpectrum> readAll(OutputReader& reader);
std::vector<OutputSpectrum> readAll(const std::string& path);
