#pragma once
#include "core/spectrum_read.h"
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>

// Reads the next big-endian spectrum record of a binary data file, skipping
// any bytes before its marker: 0; 1 at the end of the file; 2 to 14 for the
// header field that could not be read; 15 and up when values are missing.
int16_t readBinarySpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream);

// The same read for a loop that goes on past damage. A record that cannot be
// read, that carries a processing level no record can (outside 0 to 4), or
// that evidently runs into the next one, is Damaged, and the stream
// then stands at the next confirmed record (a whole record with a valid
// header, after which, past at most a line end, comes another valid header
// or the end of the file), or at the end; the last record, cut by the
// end of the file, is CutShort. The offset is where the record read or passed
// over starts.
SpectrumRead readBinarySpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream);
