#pragma once
// The global attributes of a NetCDF output: what it holds, where it came
// from and what made it, under the CF and ACDD conventions.

#include "conversion/dataset_sink.h"
#include "conversion/netcdf_output.h"

#include <string>

void putFileAttributes(DatasetSink& file, const NetcdfProvenance& provenance);

// "full cal" and so on: the level's logged text without its blank and brackets.
std::string levelName(int level);
