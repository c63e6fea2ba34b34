#pragma once
// What a run did, file by file, told at its end by either front end: how
// many files were converted, failed and skipped, the spectra written, the
// time taken, and which files failed or were skipped with their first
// error.

#include "driver/conversion_driver.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class RunReport {
public:
    explicit RunReport(std::vector<std::string> paths) : paths_(std::move(paths)), files_(paths_.size()) {}

    // Each of these concerns one file; different files may be told at once.
    // The file's reason is its first error, or its first that is no warning.
    void error(std::size_t file, const std::string& line);
    bool hasError(std::size_t file) const { return !files_[file].reason.empty(); }
    // A converted file's first warning is listed in the summary too.
    void warning(std::size_t file, const std::string& line);
    void skipped(std::size_t file) { files_[file].skipped = true; }
    void converted(std::size_t file, int32_t spectra) { files_[file].spectra = spectra; }
    void ended(std::size_t file, FileOutcome outcome) { files_[file].outcome = outcome; }
    // Something of the run that could not be read (a folder), failed before
    // any file was converted, with the line that says why.
    void unreadable(const std::string& path, const std::string& line);

    // The counts in words: "3 files converted, 1 failed, 1 skipped" (none
    // failed or skipped are left out).
    std::string inWords() const;
    // The converter's summary, one text of whole lines, the counts and the
    // files that failed or were skipped.
    std::string summary(double seconds) const;

    struct File {
        std::optional<FileOutcome> outcome; // none for a file the run did not reach
        bool skipped = false;
        int32_t spectra = 0;
        std::string reason;  // the first error, naming the file
        std::string warning; // the first warning, naming the file
        std::vector<std::string> messages; // every error and warning line, in order
    };
    // What the run told of the file, in the order given; the folders that
    // could not be read come after the files.
    const File& file(std::size_t index) const { return files_[index]; }
    const std::string& path(std::size_t index) const { return paths_[index]; }
    std::size_t size() const { return files_.size(); }

private:
    struct Counts {
        std::size_t converted = 0;
        std::size_t failed = 0;
        std::size_t skipped = 0;
    };
    Counts counts() const;
    // The summary's line for the file, empty when it has none.
    std::string listing(std::size_t file) const;

    std::vector<std::string> paths_;
    std::vector<File> files_;
};

// A number with its thousands set apart by commas: 43,000.
std::string withThousands(long long number);
