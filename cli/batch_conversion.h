#pragma once
// The per-file conversion loop of the headless converter, in the order of the
// window's conversion run: report, identify, choose the calibration, convert.

#include "cli/cli_options.h"
#include "cli/file_status.h"

#include <optional>
#include <string>

class BatchConverter {
public:
    explicit BatchConverter(const CliOptions& options) : options_(options) {}

    // Loads the calibration file named with --cal; false (after a message)
    // when it cannot be read.
    bool loadFixedCalibration();

    // Converts one data file.
    FileStatus convert(const std::string& path);

    // The two halves of convert. prepare reports and identifies the file and
    // loads its calibration; it gives the file's final status, or nothing
    // when calibrate is to follow.
    std::optional<FileStatus> prepare(const std::string& path);
    FileStatus calibrate(const std::string& path) const;

private:
    FileStatus ensureAssociatedCalibration();
    bool loadCalibration(const std::string& calFile);

    const CliOptions& options_;
    std::string loadedCalFile_;
};

// Converts every data file of the options; returns the exit status.
int runConversion(const CliOptions& options);
