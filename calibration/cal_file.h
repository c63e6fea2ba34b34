#pragma once
// Reads a bracket-sectioned calibration file into memory and hands out the
// lines of a named section by position.

#include "core/file_handle.h"
#include "core/log.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Raised when a calibration file cannot be opened; carries the system's reason.
class CalFileOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class THeadData {
public:
    THeadData(int32_t first, int32_t last) : FirstLine(first), LastLine(last) {}
    int32_t FirstLine;
    int32_t LastLine;
};

class TCalFile {
public:
    // Opens the file read-only and holds a shared advisory lock on it for the
    // reader's lifetime; throws CalFileOpenError when either fails, or when
    // the file is not a regular file or is larger than 64 MiB. Its warnings
    // go to log.
    TCalFile(const std::string& fileName, Log log);
    ~TCalFile();
    TCalFile(const TCalFile&) = delete;
    TCalFile& operator=(const TCalFile&) = delete;

    bool HasSection(const std::string& name) const;
    int32_t SectionLineCount(const std::string& name) const;
    // The line's text, or an empty text after a logged warning.
    const std::string& SectionLine(const std::string& name, int32_t n) const;

private:
    struct Section {
        std::string name;
        THeadData head;
    };
    const Section* find(const std::string& name) const;
    void indexSections();

    Log log_;
    FileHandle file_; // held open (and locked) for the reader's lifetime
    std::vector<std::string> Lines;
    std::vector<Section> Sections; // sorted by name, ignoring letter case
};
