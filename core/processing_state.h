#pragma once
// Module-level state of the processing side: the options of the file being
// converted and what identification found in the file identified last.

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

extern int8_t processLevel;
extern int transposeOutput;
extern int binaryOutput;
extern int netcdfOutput;
extern char delimiter;
extern char dataSerial[32];
extern char dataChanName[32];
extern int32_t chanIndex;

// Text of each processing level as logged after "Processing level:    %d".
const char* processLevelText(int level);
