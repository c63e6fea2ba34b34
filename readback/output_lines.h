#pragma once
// The lines of a text output file, CR LF or LF ended, with the number of
// each and the byte offset of the next, and the cells of a line.

#include "readback/output_reader.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

// Where a line is, as an error names it: by its number, or by its byte
// offset once a seek made the numbers unknown.
struct LinePlace {
    long number = 0; // 0: unknown
    std::int64_t start = 0;
};

class OutputLines {
public:
    explicit OutputLines(const std::string& path);
    const std::string& path() const { return path_; }

    // The next line without its line end; false at the end of the file.
    bool next(std::string& line);
    std::int64_t offset() const { return offset_; }
    // Goes back to an offset that offset() gave; messages then name the
    // byte offset of the line instead of its number.
    void seek(std::int64_t offset);

    // The number of the line read last.
    long lineNumber() const { return lineNumber_; }

    // The place of the line read last.
    LinePlace place() const { return {numbered_ ? lineNumber_ : 0, lineStart_}; }

    // An OutputReadError naming the file and the line read last.
    [[noreturn]] void fail(const std::string& what) const;
    // The same naming the line at `place`.
    [[noreturn]] void fail(const LinePlace& place, const std::string& what) const;
    // The same naming line `number`.
    [[noreturn]] void failOnLine(long number, const std::string& what) const;

private:
    std::string path_;
    std::unique_ptr<std::ifstream> stream_;
    std::int64_t offset_ = 0;
    std::int64_t lineStart_ = 0;
    long lineNumber_ = 0;
    bool numbered_ = true; // false once seek() made the line numbers unknown
};

// Walks the cells of one line split at the delimiter.
class Cells {
public:
    Cells(std::string_view line, char delimiter) : rest_(line), delimiter_(delimiter) {}
    // The next cell; false when the line has no more.
    bool next(std::string_view& cell);
    bool done() const { return finished_; }
    // What follows the cells taken so far.
    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
    char delimiter_;
    bool finished_ = false;
};

// Cell conversions; false when the cell is not wholly a number of the kind.
bool parseLong(std::string_view cell, long& value);
bool parseFloat(std::string_view cell, float& value);
bool parseDouble(std::string_view cell, double& value);
