#pragma once
// Helpers of the processing tests: files written and read whole, lines of
// CR LF text, and a small calibration file.

#include <string>
#include <vector>

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
std::vector<std::string> splitCrLfLines(const std::string& text);

// A one-channel calibration file (channel A, pixels 0..10, wavelength
// 350 + 3.3 p - 0.0001 p^2).
std::string smallCalibrationText();
