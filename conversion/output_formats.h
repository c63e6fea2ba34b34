#pragma once
#include "conversion/conversion.h"
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>

class OutputBuffer;
class RowPipeline;

// Column header line of the normal text layout for the record's pixel set.
// 0 when written, 1 when a write failed (errno tells why).
int16_t writeHeader(const Conversion& conversion, int channel, const SpectrumRecord& record, std::FILE* output);

// One spectrum as a text row, or as a little-endian record plus floats when
// binaryForm is set. 0 when written, 1 when a write failed (errno
// tells why).
int16_t writeOutput(const Conversion& conversion, const SpectrumRecord& record, const float* pixels, std::FILE* stream,
                    bool binaryForm);

// The same, handed to a pipeline that writes the rows of normal text output.
int16_t writeOutput(const Log& log, const SpectrumRecord& record, const float* pixels, RowPipeline& rows);

// The text row of writeOutput, line end included.
void putTextRow(OutputBuffer& out, const SpectrumRecord& record, const float* pixels, char delimiter);

// Turns the binary records of the temporary file into the transposed table.
// 0 when done; 1 after a logged failure to read the temporary file, or when
// a write to the output failed (the output's error indicator is then set).
int16_t writeTransposed(const Conversion& conversion, std::FILE* temporary, std::FILE* output);
