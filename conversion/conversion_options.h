#pragma once
// How a data file is to be converted: the options of both front ends, handed
// down unchanged to the writers.

#include "conversion/netcdf_metadata.h"

#include <cstdint>

// The output forms a conversion can write; the values are those of
// calibrateFile's form argument, so 0 and 1 keep their old meaning.
enum class OutputForm : int { Text = 0, Binary = 1, NetCdf = 2 };

// The form that the options of a conversion choose; NetCDF wins over binary.
inline OutputForm chosenOutputForm(bool binary, bool netcdf)
{
    if (netcdf)
        return OutputForm::NetCdf;
    return binary ? OutputForm::Binary : OutputForm::Text;
}

struct ConversionOptions {
    int8_t level = 4; // 0 raw to 4 full calibration
    bool transpose = false;
    OutputForm form = OutputForm::Text;
    char delimiter = ','; // of text output
    bool verbose = false; // debug text in the log
    bool ignoreImmersion = false;
    NetcdfMetadata netcdf; // what NetCDF output is told beyond the data
};

// Text of each processing level as logged after "Processing level:    %d";
// null for a level outside 0 to 4.
const char* processLevelText(int level);
