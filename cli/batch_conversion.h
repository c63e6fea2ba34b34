#pragma once
// The headless converter's runs: the shared conversion driver with the
// converter's ways of logging, reporting and finding calibration files.

#include "cli/cli_options.h"

#include <string>

// Converts every data file of the options; returns the exit status. The
// NetCDF outputs record `command` as their history.
int runConversion(const CliOptions& options, const std::string& command);
