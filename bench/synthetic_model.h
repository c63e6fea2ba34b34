#pragma once
// A simple model of a Tidelume radiometer for generating realistic test data:
// a detector with dark pixels ahead of the calibrated ones, a smooth daylight
// spectrum scaled by the integration time, and noise. Seeded, so the same
// arguments always give the same files.

#include <cstdint>
#include <random>
#include <vector>

constexpr int DARK_PIXELS = 8; // pixels 0..3 give Do, 4..7 give Dt

struct ChannelModel {
    char letter;      // 'A', 'B', ...
    const char* name; // "Ed", "Lu"
    const char* units;
    double immersion;
    double peakCounts; // signal at the spectrum's peak for a 128 ms integration
};

const ChannelModel& channelModel(int channelIndex);

// Wavelength polynomial spreading the pixels over roughly 350..1150 nm.
struct WaveCoefs {
    double c0, c1, c2;
};
WaveCoefs waveCoefs(int pixelCount);

struct SyntheticSpectrum {
    int32_t time;
    float temp, volts, depth;
    int32_t intTime;
    std::vector<int> counts; // raw counts, one per pixel from pixel 0
};

class SpectrumSource {
public:
    SpectrumSource(int channelIndex, int pixelCount, uint32_t seed);
    const SyntheticSpectrum& next();

private:
    double uniform(); // in [0, 1)
    double noise();   // about normal, mean 0, deviation 1

    const ChannelModel& channel_;
    std::vector<double> shape_; // relative signal of each pixel
    std::mt19937 random_;
    SyntheticSpectrum spectrum_{};
    int index_ = 0;
};
