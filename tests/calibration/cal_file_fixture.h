#pragma once
// The calibration file reader's tests: a file written into a fresh folder,
// the log captured, and the reason an open fails.

#include "calibration/cal_file.h"

#include "log_capture.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <string>

class SectionReader : public ::testing::Test {
protected:
    std::string write(const std::string& content) { return dir.write("test.cal", content); }

    TempDir dir;
    LogCapture log;
};

// The reason the file cannot be opened, or an empty text when it can.
inline std::string openErrorOf(const std::string& path)
{
    try {
        const TCalFile file(path, Log{});
    } catch (const CalFileOpenError& error) {
        return error.what();
    }
    return "";
}
