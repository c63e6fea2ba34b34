#pragma once
// Helpers of the core tests: data files in a private temporary directory,
// streams over bytes in memory, and a log that keeps what it receives.

#include "core/file_handle.h"

#include <cstdint>
#include <string>
#include <vector>

// A field of a packed record as a plain value: assertions take their
// arguments by reference, which a packed field cannot give.
template <typename T>
T valueOf(T field)
{
    return field;
}

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes bytes to a file of that name in the directory; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

// A read-only stream over a copy of the bytes (NUL bytes included).
class MemoryStream {
public:
    explicit MemoryStream(std::string bytes);
    std::FILE* get() const { return file_.get(); }
    // Everything not read yet; reads it.
    std::string rest() const;

private:
    std::string bytes_;
    FileHandle file_;
};

// Installs itself as the log callback and the error box for its lifetime.
class LogCapture {
public:
    explicit LogCapture(int16_t verbose = 0);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Every text the callback received, in order.
    const std::vector<std::string>& texts() const;
    // The texts shown in error boxes, in order.
    const std::vector<std::string>& errorBoxes() const;
    // All texts joined, as one log would show them.
    std::string joined() const;
    // Forgets what was received so far.
    void clear();
};
