#pragma once
// The processing tests' data lines, expected rows and a fixture converting
// one data file of a fresh folder with the log captured.

#include "calibration/cal_table.h"
#include "conversion/processing.h"
#include "conversion/default_context.h"
#include "log_capture.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

inline const char* const HEADER_LINES = "Tidelume Radiometer: TDL0001\r\nChannel 1\r\n";

// A text data line of the 13-value layout with the given pixel set.
inline std::string dataLine(int time, int firstPix, int pixInc, const std::vector<int>& values)
{
    std::string line = std::to_string(time) + ",12.46,11.2,3.456,0,1,1,0,0,100," + std::to_string(firstPix) + "," +
                       std::to_string(pixInc) + "," + std::to_string(values.size());
    for (int v : values)
        line += "," + std::to_string(v);
    return line + "\r\n";
}

inline std::string expectedRow(int time, int firstPix, int pixInc, const std::vector<int>& values)
{
    std::string row = std::to_string(time) + ",12.5,11.20,3.46,0,1,1,0,0,100," + std::to_string(firstPix) + "," +
                      std::to_string(pixInc) + "," + std::to_string(values.size());
    for (int v : values)
        row += "," + std::to_string(v);
    return row;
}

class Processing : public ::testing::Test {
protected:
    void SetUp() override
    {
        freeCals();
        std::strcpy(dataSerial, "TDL0001");
        chanIndex = 0;
        input = dir.file("SET01A.ASC");
        output = dir.file("SET01A.RAW");
    }
    void TearDown() override { freeCals(); }

    int convert(int level = 0, int transpose = 0, int binary = 0)
    {
        return calibrateFile(input.c_str(), "CAL.CAL", static_cast<int8_t>(level), transpose, binary, ',', 0,
                             LogCapture::sink);
    }

    std::string opening(const std::string& levelText, const char* transposition, const std::string& out) const
    {
        return "Data file name: " + input + "\nProcessing level:    " + levelText +
               "Tranposition:        " + transposition + "-> " + out + " \n";
    }

    std::vector<std::string> headerLines() const
    {
        return {"Tidelume processed data file. Serial: TDL0001 Orvantis v1.31", "Source file: " + input,
                "Calibration file: CAL.CAL", "Channel: ?, ?"};
    }

    static std::string columnHeader(int values)
    {
        std::string header = "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix";
        for (int k = 0; k < values; ++k)
            header += ",?";
        return header;
    }

    std::vector<std::string> outputLines() const { return splitCrLfLines(readFile(output)); }

    std::string notWritten() const
    {
        return "No spectrum converted: " + output + " not written\nNo files processed.\n";
    }

    TempDir dir;
    LogCapture log;
    std::string input;
    std::string output;
};
