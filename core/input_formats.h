#pragma once
#include "core/log.h"
#include "core/spectrum_read.h"
#include "core/spectrum_record.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Reads one spectrum (text or binary) into record and pixels. 0 when a whole
// spectrum was read, 1 at the end of the data, else the number of the field
// that could not be read.
int16_t readSpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream, int binaryInput, int format,
                     const Log& log);

// readSpectrum for a file loop: text it cannot read is passed over (the
// stream then stands at the next line) and reported in the outcome, while a
// binary record that cannot be read stops the file.
SpectrumRead readSpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream, int binaryInput, int format,
                                  const Log& log);

// Which text layout the data line at the stream position uses: 1, 2, or 0
// when unknown. The stream position is unchanged afterwards.
int detectFileFormat(std::FILE* stream, const Log& log);

// detectFileFormat on the first line that starts like a spectrum: a stray
// line before it tells nothing of the layout. The position is unchanged.
int detectSpectrumFormat(std::FILE* stream, const Log& log);

// Consumes characters up to and including the first CR or LF, or to the end.
void skipLine(std::FILE* stream);

// Reads count big-endian items of itemSize bytes; returns the number read and
// converts to host order only when all were read.
std::size_t readBigEndian(void* buffer, std::size_t itemSize, std::size_t count, std::FILE* stream);
