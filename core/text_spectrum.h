#pragma once
#include "core/log.h"
#include "core/spectrum_read.h"
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>

// One spectrum of a text data file in layout 2 (format 2) or 1 (any other
// format): the readSpectrum of text input.
int16_t readTextSpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream, int format, const Log& log);

// The same read for a loop that goes on past damage. After NotSpectrum or
// Damaged the stream stands at the line after the one the read began on, so
// that a spectrum swallowed by a cut line is read again; or, when values ran
// on after a spectrum on its line (state tells), at those values, which the
// next read takes as the following spectrum. A spectrum the end of the file
// stops is CutShort.
SpectrumRead readTextSpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream, int format,
                                      const Log& log, ResumeState& state);

// Passes over every line before the first one that starts like a spectrum.
void skipToFirstSpectrumLine(std::FILE* stream);
