#pragma once
// What a run did, file by file, told in a few lines at its end: how many
// files were converted, failed and skipped, the spectra written, the time
// taken, and which files failed or were skipped with their first error.

#include "driver/conversion_driver.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class RunReport {
public:
    explicit RunReport(std::vector<std::string> paths) : paths_(std::move(paths)), files_(paths_.size()) {}

    // Each of these concerns one file; different files may be told at once.
    void error(std::size_t file, const std::string& line);
    void skipped(std::size_t file) { files_[file].skipped = true; }
    void converted(std::size_t file, int32_t spectra) { files_[file].spectra = spectra; }
    void ended(std::size_t file, FileOutcome outcome) { files_[file].outcome = outcome; }

    // The summary, one text of whole lines.
    std::string summary(double seconds) const;

private:
    struct File {
        FileOutcome outcome = FileOutcome::Converted;
        bool skipped = false;
        int32_t spectra = 0;
        std::string reason; // the first error, naming the file
    };

    std::vector<std::string> paths_;
    std::vector<File> files_;
};

// A number with its thousands set apart by commas: 43,000.
std::string withThousands(long long number);
