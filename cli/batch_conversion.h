#pragma once
// The headless converter's runs: the shared conversion driver with the
// converter's ways of logging, reporting and finding calibration files.

#include "cli/cli_options.h"

// Converts every data file of the options; returns the exit status.
int runConversion(const CliOptions& options);
