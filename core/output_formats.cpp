#include "core/output_formats.h"

#include "calibration/cal_table.h"
#include "core/log.h"
#include "core/processing_state.h"

#include <algorithm>

namespace {

bool wavelengthKnown(int channel)
{
    return channel >= 0 && channel < MAX_CHANNELS && slotLoaded(channel);
}

// A record as read back from or written to its little-endian on-disk form.
bool readRecord(std::FILE* stream, SpectrumRecord& record)
{
    unsigned char bytes[SPECTRUM_RECORD_SIZE];
    if (std::fread(bytes, SPECTRUM_RECORD_SIZE, 1, stream) != 1)
        return false;
    record = decodeRecord(bytes);
    return true;
}

bool readFloat(std::FILE* stream, float& value)
{
    unsigned char bytes[sizeof(float)];
    if (std::fread(bytes, sizeof bytes, 1, stream) != 1)
        return false;
    decodeFloatsLE(bytes, 1, &value);
    return true;
}

int storedPixelCount(const SpectrumRecord& record)
{
    return std::clamp<int>(record.numPix, 0, MAX_PIXELS);
}

int16_t writeBinary(const SpectrumRecord& record, const float* pixels, std::FILE* stream)
{
    unsigned char head[SPECTRUM_RECORD_SIZE];
    encodeRecord(record, head);
    if (std::fwrite(head, SPECTRUM_RECORD_SIZE, 1, stream) != 1)
        return 1;
    const int count = storedPixelCount(record);
    unsigned char values[MAX_PIXELS * sizeof(float)];
    encodeFloatsLE(pixels, static_cast<std::size_t>(count), values);
    if (std::fwrite(values, sizeof(float), static_cast<std::size_t>(count), stream) != static_cast<std::size_t>(count))
        return 1;
    return 0;
}

int16_t writeTextRow(const SpectrumRecord& r, const float* pixels, std::FILE* stream)
{
    const char d = delimiter;
    std::fprintf(stream, "%ld%c%.1f%c%.2f%c%.2f%c%d%c%d%c", static_cast<long>(r.time), d, r.temp, d, r.volts, d,
                 r.depth, d, r.process, d, r.N, d);
    if (std::fprintf(stream, "%.4g%c%.4g%c%.4g%c%ld%c%d%c%d%c%d", r.scale, d, r.Do, d, r.Dt, d,
                     static_cast<long>(r.intTime), d, r.firstPix, d, r.pixInc, d, r.numPix) <= 0)
        return 1;
    const int count = storedPixelCount(r);
    for (int k = 0; k < count; ++k)
        if (std::fprintf(stream, "%c%.5g", d, pixels[k]) <= 0)
            return 1;
    if (std::fputs("\r\n", stream) < 0)
        return 1;
    return 0;
}

constexpr int LABEL_ROWS = 13;
const char* const rowLabels[LABEL_ROWS] = {"Time",  "temp", "volts",   "depth",    "process", "N",      "Scale",
                                           "Do",    "Dt",   "intTime", "firstPix", "pixInc",  "numPix"};

void writeLabelCell(int row, const SpectrumRecord& r, std::FILE* output)
{
    const char d = delimiter;
    switch (row) {
    case 0: std::fprintf(output, "%c%ld", d, static_cast<long>(r.time)); break;
    case 1: std::fprintf(output, "%c%.2f", d, r.temp); break;
    case 2: std::fprintf(output, "%c%.2f", d, r.volts); break;
    case 3: std::fprintf(output, "%c%.2f", d, r.depth); break;
    case 4: std::fprintf(output, "%c%d", d, r.process); break;
    case 5: std::fprintf(output, "%c%d", d, r.N); break;
    case 6: std::fprintf(output, "%c%.4g", d, r.scale); break;
    case 7: std::fprintf(output, "%c%.4g", d, r.Do); break;
    case 8: std::fprintf(output, "%c%.4g", d, r.Dt); break;
    case 9: std::fprintf(output, "%c%ld", d, static_cast<long>(r.intTime)); break;
    case 10: std::fprintf(output, "%c%d", d, r.firstPix); break;
    case 11: std::fprintf(output, "%c%d", d, r.pixInc); break;
    default: std::fprintf(output, "%c%d", d, r.numPix); break;
    }
}

// Steps over the records of the temporary file; false after a failed move.
bool countSpectra(std::FILE* temporary, int& count, SpectrumRecord& last)
{
    count = 0;
    SpectrumRecord record{};
    while (!std::feof(temporary) && readRecord(temporary, record)) {
        if (std::fseek(temporary, 4L * record.numPix, SEEK_CUR) != 0)
            return false;
        last = record;
        ++count;
    }
    return true;
}

} // namespace

int16_t writeHeader(int channel, const SpectrumRecord& record, std::FILE* output)
{
    const char d = delimiter;
    std::fprintf(output, "Time%ctemp%cvolts%cdepth%cprocess%cN%cscale%cDo%cDt%cIntTime%cfirstPix%cpixInc%cnumPix", d, d,
                 d, d, d, d, d, d, d, d, d, d);
    const bool known = wavelengthKnown(channel);
    for (int k = 0; k < record.numPix; ++k) {
        if (known)
            std::fprintf(output, "%c%.1f", d, pixelWavelength(channel, pixelNumber(record.firstPix, record.pixInc, k)));
        else
            std::fprintf(output, "%c?", d);
    }
    std::fputs("\r\n", output);
    return 0;
}

int16_t writeOutput(const SpectrumRecord& record, const float* pixels, std::FILE* stream, int binaryForm)
{
    logDebug("Write Do:%f Dt:%f\n", record.Do, record.Dt);
    return binaryForm ? writeBinary(record, pixels, stream) : writeTextRow(record, pixels, stream);
}

int16_t writeTransposed(std::FILE* temporary, std::FILE* output)
{
    std::rewind(temporary);
    int spectra = 0;
    SpectrumRecord last{};
    if (!countSpectra(temporary, spectra, last))
        return 1;
    const int values = last.numPix;
    logDebug("specCount = %d numPix = %d\n", spectra, values);

    const long spectrumSize = static_cast<long>(SPECTRUM_RECORD_SIZE) + 4L * values;
    SpectrumRecord record{};
    for (int row = 0; row < LABEL_ROWS; ++row) {
        std::fputs(rowLabels[row], output);
        for (int j = 0; j < spectra; ++j) {
            const int result = std::fseek(temporary, j * spectrumSize, SEEK_SET);
            if (result != 0) {
                logError("fseek error; i:%d result:%d\n", j, result);
                return 1;
            }
            if (!readRecord(temporary, record)) {
                logError("fread error; i = %d\n", j);
                return 1;
            }
            writeLabelCell(row, record, output);
        }
        std::fputs("\r\n", output);
    }

    const bool known = wavelengthKnown(record.channel);
    for (int k = 0; k < values; ++k) {
        if (known)
            std::fprintf(output, "%.1f", pixelWavelength(record.channel, pixelNumber(record.firstPix, record.pixInc, k)));
        else
            std::fputs("?", output);
        for (int j = 0; j < spectra; ++j) {
            const int result =
                std::fseek(temporary, j * spectrumSize + static_cast<long>(SPECTRUM_RECORD_SIZE) + 4L * k, SEEK_SET);
            if (result != 0) {
                logError("fseek error; i:%d j:%d result:%d\n", k, j, result);
                return 1;
            }
            float value = 0;
            if (!readFloat(temporary, value)) {
                logError("fread error\n");
                return 1;
            }
            std::fprintf(output, "%c%.4g", delimiter, value);
        }
        std::fputs("\r\n", output);
    }
    return 0;
}
