#pragma once
// Helpers of the processing tests: a temporary folder per test, files written
// and read whole, and a capture of every message the processing side logs.

#include <filesystem>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
std::vector<std::string> splitCrLfLines(const std::string& text);

// Installs itself as the log callback and the error box for its lifetime.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string text() const;        // everything the log callback received
    std::string errorBoxes() const;  // the texts of the error boxes, in order
    void clear();
};

// The log callback of LogCapture, to hand to calibrateFile.
void captureLog(const char* text);

// A one-channel calibration file (channel A, pixels 0..10, wavelength
// 350 + 3.3 p - 0.0001 p^2).
std::string smallCalibrationText();
