#include "bench/data_writers.h"

#include "bench/synthetic_model.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, Closer>;

// Pixel adjustment code: a few known hot pixels are replaced by the median of
// their neighbours, one noisy region is smoothed; the rest are taken as read.
int adjustCode(int pixel, int pixelCount)
{
    if (pixel % 97 == 50)
        return 9;
    if (pixel > pixelCount - 12 && pixel < pixelCount - 1)
        return 8;
    return 1;
}

void writeChannel(std::FILE* f, int channelIndex, int pixelCount)
{
    const ChannelModel& ch = channelModel(channelIndex);
    const char x = ch.letter;
    std::fprintf(f, "[%c]\r\n%s\r\n%s\r\n1.0\r\n0,3\r\n4,7\r\n%d\r\n", x, ch.name, ch.units, DARK_PIXELS);
    for (int p = DARK_PIXELS; p < pixelCount; ++p) {
        const double weight = static_cast<double>(p - DARK_PIXELS) / (pixelCount - DARK_PIXELS);
        const double coefficient =
            0.0008 + 0.0015 * std::exp(-std::pow((p - 0.6 * pixelCount) / (0.5 * pixelCount), 2));
        std::fprintf(f, "%d,%.4f,%.6g,%.3f\r\n", adjustCode(p, pixelCount), weight, coefficient, ch.immersion);
    }
    const WaveCoefs w = waveCoefs(pixelCount);
    std::fprintf(f, "[%c WAVE]\r\n%.6g\r\n%.6g\r\n%.6g\r\n", x, w.c0, w.c1, w.c2);
    std::fprintf(f, "[%c NLTABLE]\r\n0,1000\r\n", x);
    for (int k = 0; k <= 33; ++k)
        std::fprintf(f, "%.3f\r\n", 2.5e-4 * std::pow(k * 1000.0, 1.05) / 10.0);
    std::fprintf(f, "[%c TIME]\r\n0.35\r\n0.0\r\n0.0\r\n0.0\r\n0.0\r\n0.0\r\n", x);
}

void writeHeaderLines(std::FILE* f, const DataFileRequest& request)
{
    std::fprintf(f, "Tidelume Hyperspectral Radiometer: %s\r\n", request.serial.c_str());
    std::fprintf(f, "Deployment: synthetic cast, generated for testing\r\n");
    std::fprintf(f, "Channel %d\r\n", request.channelIndex + 1);
    std::fprintf(f, "Pixels: 0 to %d\r\n", request.pixels - 1);
}

void writeTextSpectrum(std::FILE* f, const SyntheticSpectrum& s, bool layout2)
{
    std::fprintf(f, "%ld,%.2f,%.2f,%.2f,", static_cast<long>(s.time), s.temp, s.volts, s.depth);
    if (layout2)
        std::fputs("0,1,1,0,0,", f);
    std::fprintf(f, "%ld,0,1,%zu", static_cast<long>(s.intTime), s.counts.size());
    for (int c : s.counts)
        std::fprintf(f, ",%d", c);
    std::fputs("\r\n", f);
}

void putBE(std::FILE* f, uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}

void putFloatBE(std::FILE* f, float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    putBE(f, bits, 4);
}

// Processed records carry dark-subtracted counts at level 2 with their Do and Dt.
void writeBinarySpectrum(std::FILE* f, const SyntheticSpectrum& s, bool processed)
{
    const auto n = static_cast<uint32_t>(s.counts.size());
    const float darkO = static_cast<float>(s.counts[0] + s.counts[1] + s.counts[2] + s.counts[3]) / 4.0f;
    const float darkT = static_cast<float>(s.counts[4] + s.counts[5] + s.counts[6] + s.counts[7]) / 4.0f;
    putBE(f, 0x0F01, 2);
    putBE(f, static_cast<uint32_t>(s.time), 4);
    putFloatBE(f, s.temp);
    putFloatBE(f, s.volts);
    putFloatBE(f, s.depth);
    putBE(f, processed ? 2 : 0, 2);
    putBE(f, 1, 2);
    putFloatBE(f, 1.0f);
    putFloatBE(f, processed ? darkO : 0.0f);
    putFloatBE(f, processed ? darkT : 0.0f);
    putBE(f, static_cast<uint32_t>(s.intTime), 4);
    putBE(f, 0, 2);
    putBE(f, 1, 2);
    putBE(f, n, 2);
    for (uint32_t p = 0; p < n; ++p) {
        if (processed)
            putFloatBE(f, static_cast<float>(s.counts[p]) -
                              (darkO + (darkT - darkO) * static_cast<float>(p) / static_cast<float>(n)));
        else
            putBE(f, static_cast<uint32_t>(s.counts[p]), 2);
    }
    // The logger ends each record with CR LF; readers skip it.
    std::fputs("\r\n", f);
}

} // namespace

bool writeCalibrationFile(const std::string& path, const std::string& serial, int pixelCount)
{
    File f(std::fopen(path.c_str(), "wb"));
    if (!f)
        return false;
    std::fprintf(f.get(), "[ID]\r\n%s\r\n", serial.c_str());
    writeChannel(f.get(), 0, pixelCount);
    writeChannel(f.get(), 1, pixelCount);
    return std::ferror(f.get()) == 0;
}

bool writeDataFile(const std::string& path, const DataFileRequest& request)
{
    File f(std::fopen(path.c_str(), "wb"));
    if (!f)
        return false;
    writeHeaderLines(f.get(), request);
    SpectrumSource source(request.channelIndex, request.pixels, request.seed);
    for (int i = 0; i < request.spectra; ++i) {
        const SyntheticSpectrum& s = source.next();
        switch (request.layout) {
        case DataLayout::Text1: writeTextSpectrum(f.get(), s, false); break;
        case DataLayout::Text2: writeTextSpectrum(f.get(), s, true); break;
        case DataLayout::BinaryRaw: writeBinarySpectrum(f.get(), s, false); break;
        case DataLayout::BinaryProcessed: writeBinarySpectrum(f.get(), s, true); break;
        }
    }
    return std::ferror(f.get()) == 0;
}
