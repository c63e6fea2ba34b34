#pragma once
// The scan behind detectFileFormat, open to tests.

#include "core/number_scan.h"

// Reads like fscanf(stream, "%*f,%*f,%*f,%*f,%*f,%*f,%*f,%f,%*f,%*f,%*f,%*f,%f",
// &value8, &value13) and returns how many of the two were stored (0 to 2).
int scanDetectionValues(StreamChars& in, float& value8, float& value13);

// A pixel count taken from a scanned value: truncated toward zero, low 16
// bits kept. A value with no 32-bit integer part (too large, infinite, NaN)
// gives -1, which never matches a comma count.
int16_t countFromValue(float value);
