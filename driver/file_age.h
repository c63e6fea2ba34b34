#pragma once
// The date stamp by which the driver notices a rewritten calibration file.

#include <cstdint>
#include <string>

// The file's last-write time in local time, packed as date-time bits
// (year-1980:7, month:4, day:5, hour:5, minute:6, second/2:5); -1 when the
// file does not exist.
int32_t fileAge(const std::string& path);
