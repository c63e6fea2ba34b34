#include "core/input_formats.h"

#include "core/big_endian.h"
#include "core/binary_spectrum.h"
#include "core/line_end.h"
#include "core/text_spectrum.h"

int16_t readSpectrum(SpectrumRecord& record, float* pixels, std::FILE* stream, int binaryInput, int format,
                     const Log& log)
{
    if (binaryInput != 0)
        return readBinarySpectrum(record, pixels, stream);
    return readTextSpectrum(record, pixels, stream, format, log);
}

SpectrumRead readSpectrumResuming(SpectrumRecord& record, float* pixels, std::FILE* stream, int binaryInput, int format,
                                  const Log& log, ResumeState& state)
{
    if (binaryInput != 0)
        return readBinarySpectrumResuming(record, pixels, stream);
    return readTextSpectrumResuming(record, pixels, stream, format, log, state);
}

void skipLine(std::FILE* stream)
{
    skipToLineEnd(stream);
}

std::size_t readBigEndian(void* buffer, std::size_t itemSize, std::size_t count, std::FILE* stream)
{
    const std::size_t read = std::fread(buffer, itemSize, count, stream);
    if (read < count)
        return read;
    bigEndianToHost(static_cast<unsigned char*>(buffer), itemSize, count);
    return count;
}
