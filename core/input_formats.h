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

// readSpectrum for a file loop: a spectrum it cannot read whole, or cannot
// trust, is passed over and reported in the outcome, and the next read goes
// on after it (text at the next line or at values run on from it, binary at
// the next record the layout confirms). state carries what one read leaves
// for the next of the same file.
SpectrumRead readSpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream, int binaryInput, int format,
                                  const Log& log, ResumeState& state);

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
