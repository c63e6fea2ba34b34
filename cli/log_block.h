#pragma once
// The log and error texts of one data file's conversion, held in two
// anonymous temporary files until the file's turn comes to print them. Files
// rather than pipes, so a child writing a long log never waits for a reader.

#include "core/file_handle.h"

#include <cstdio>
#include <string>

class LogBlock {
public:
    LogBlock();

    // False when a temporary file could not be made.
    bool valid() const { return out_ && err_; }
    int outFd() const;
    int errFd() const;

    // Appends one line to the error texts.
    void addError(const std::string& line);

    // Writes the whole log to out and the whole error text to err.
    void printTo(std::FILE* out, std::FILE* err) const;

private:
    FileHandle out_;
    FileHandle err_;
};
