#pragma once
// Helpers of the calibration tests: the example calibration file of one
// channel, more channels like it, and loading into the captured log.

#include "calibration/cal_table.h"
#include "conversion/default_context.h"
#include "log_capture.h"

#include <cstdint>
#include <string>
#include <vector>

// Joins lines, each followed by the line end.
inline std::string joinLines(const std::vector<std::string>& lines, const std::string& eol = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + eol;
    return text;
}

// The example calibration file: channel A with eight dark pixels (0 to 7)
// ahead of three calibrated pixels (8 to 10).
inline std::vector<std::string> exampleCalLines()
{
    return {"[ID]",
            "12345",
            "[A]",
            "Ed",
            "uW/cm^2/nm",
            "1.0",
            "0,3",
            "4,7",
            "8",
            "1,0.0,0.00123,1.3",
            "8,0.5,0.00125,1.3",
            "1,1.0,0.00127,1.3",
            "[A WAVE]",
            "350.0",
            "3.3",
            "-0.0001",
            "[A NLTABLE]",
            "0,1000",
            "0.0",
            "12.5",
            "[A TIME]",
            "0.0"};
}

// The lines of the four sections of one more channel, given by its letter,
// shaped like channel A of the example.
inline std::vector<std::string> channelLines(char letter)
{
    const std::string x(1, letter);
    return {"[" + x + "]",
            "Lu",
            "uW/cm^2/nm/sr",
            "2.0",
            "0,1",
            "2,3",
            "4",
            "1,0.5,0.001,1.0",
            "[" + x + " WAVE]",
            "400.0",
            "2.0",
            "0.0",
            "[" + x + " NLTABLE]",
            "0,100",
            "1.0",
            "[" + x + " TIME]",
            "0.0"};
}

inline int16_t loadFile(const std::string& path, uint8_t debug = 0, uint8_t ignoreImmersion = 0)
{
    return loadCalFile(path.c_str(), debug, ignoreImmersion, &LogCapture::sink);
}
