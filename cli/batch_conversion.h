#pragma once
// The headless converter's runs: the shared conversion driver with the
// converter's ways of logging, reporting and finding calibration files.

#include "cli/cli_options.h"

#include <cstddef>
#include <string>

// Converts every data file of the options; returns the exit status.
int runConversion(const CliOptions& options);

// A child converting one file of a parallel batch where children are fresh
// runs of the converter: BatchChildOption CALFILE FILE-NUMBER, then the
// batch's own arguments.
inline constexpr const char* BatchChildOption = "--batch-child";

// The child's run: loads the calibration file the parent chose and prepares
// the file without logging either again, then converts it; returns the
// file's outcome as exit status.
int runBatchChild(const CliOptions& options, const std::string& calFile, std::size_t file);
