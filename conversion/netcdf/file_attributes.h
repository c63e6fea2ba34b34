#pragma once
// The global attributes of a NetCDF output: what it holds, where it came
// from and what made it, under the CF and ACDD conventions.

#include "conversion/netcdf_output.h"

#include <chrono>
#include <string>

void putFileAttributes(int file, const NetcdfProvenance& provenance);

// A moment as ISO 8601 UTC text, to the second.
std::string isoUtc(std::chrono::system_clock::time_point moment);

// "full cal" and so on: the level's logged text without its blank and brackets.
std::string levelName(int level);
