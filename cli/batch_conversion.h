#pragma once
// The per-file conversion loop of the headless converter, in the order of the
// window's conversion run: report, identify, choose the calibration, convert.

#include "cli/cli_options.h"

#include <string>

// Exit statuses, ordered so that the worst outcome of a run wins.
enum class FileStatus { Converted = 0, Skipped = 1, CalibrationUnreadable = 2 };

class BatchConverter {
public:
    explicit BatchConverter(const CliOptions& options) : options_(options) {}

    // Loads the calibration file named with --cal; false (after a message)
    // when it cannot be read.
    bool loadFixedCalibration();

    // Converts one data file.
    FileStatus convert(const std::string& path);

private:
    FileStatus ensureAssociatedCalibration();
    bool loadCalibration(const std::string& calFile);

    const CliOptions& options_;
    std::string loadedCalFile_;
};

// Converts every data file of the options; returns the exit status.
int runConversion(const CliOptions& options);
