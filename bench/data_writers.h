#pragma once
// Writers of the generated files: a calibration file and data files in the
// instrument's text layouts (1 and 2) and binary forms (raw and processed).

#include <cstdint>
#include <string>

enum class DataLayout { Text1, Text2, BinaryRaw, BinaryProcessed };

struct DataFileRequest {
    std::string serial;
    int channelIndex = 0; // 0 = channel A
    DataLayout layout = DataLayout::Text2;
    int spectra = 10;
    int pixels = 256;
    uint32_t seed = 1;
};

// Calibration file with channels A and B for detectors of pixelCount pixels.
bool writeCalibrationFile(const std::string& path, const std::string& serial, int pixelCount);

bool writeDataFile(const std::string& path, const DataFileRequest& request);
