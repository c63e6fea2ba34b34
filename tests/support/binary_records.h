#pragma once
// Big-endian records of binary data files, as the instrument writes them.

#include "core/spectrum_record.h"

#include <cstdint>
#include <string>
#include <vector>

struct RecordFields {
    int32_t time = 0x01020304;
    float temp = 20.5f, volts = 12.25f, depth = 3.5f;
    int16_t process = 0, N = 7;
    float scale = 2.5f, Do = 1.5f, Dt = 2.25f;
    int32_t intTime = 100;
    int16_t firstPix = 800, pixInc = 2, numPix = 0;
};

// value's low bytes, most significant first.
void putBigEndian(std::string& out, uint32_t value, int bytes);
void putFloatBigEndian(std::string& out, float value);

// The 44 bytes before the pixel values.
std::string recordHeader(const RecordFields& fields);
// A whole record of raw counts (process 0), or of processed values (process 3).
std::string rawRecord(RecordFields fields, const std::vector<uint16_t>& counts);
std::string floatRecord(RecordFields fields, const std::vector<float>& values);

// A record read, as the instrument stores it from its time field on (the
// marker bytes are not kept in a record): raw counts when its level is 0.
std::string instrumentBytes(const SpectrumRecord& record, const float* values);
