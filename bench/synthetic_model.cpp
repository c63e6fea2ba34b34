#include "bench/synthetic_model.h"

#include <algorithm>
#include <cmath>

namespace {

const ChannelModel channels[] = {
    {'A', "Ed", "uW/cm^2/nm", 1.3, 12000.0},
    {'B', "Lu", "uW/cm^2/nm/sr", 1.75, 6000.0},
};

} // namespace

const ChannelModel& channelModel(int channelIndex)
{
    return channels[channelIndex % 2];
}

WaveCoefs waveCoefs(int pixelCount)
{
    const double scale = 256.0 / pixelCount;
    return {350.0, 3.3 * scale, -0.0001 * scale * scale};
}

SpectrumSource::SpectrumSource(int channelIndex, int pixelCount, uint32_t seed)
    : channel_(channelModel(channelIndex)), shape_(static_cast<std::size_t>(pixelCount)), random_(seed)
{
    const WaveCoefs w = waveCoefs(pixelCount);
    for (int p = 0; p < pixelCount; ++p) {
        const double nm = w.c0 + w.c1 * p + w.c2 * p * p;
        // A broad daylight hump with a dip near the oxygen band at 760 nm.
        const double hump = std::exp(-std::pow((nm - 520.0) / 230.0, 2.0));
        const double dip = 1.0 - 0.45 * std::exp(-std::pow((nm - 760.0) / 6.0, 2.0));
        shape_[static_cast<std::size_t>(p)] = p < DARK_PIXELS ? 0.0 : hump * dip;
    }
    spectrum_.counts.resize(shape_.size());
    spectrum_.intTime = 128;
}

double SpectrumSource::uniform()
{
    return static_cast<double>(random_()) / 4294967296.0;
}

double SpectrumSource::noise()
{
    double sum = 0;
    for (int i = 0; i < 4; ++i)
        sum += uniform();
    return (sum - 2.0) * std::sqrt(3.0);
}

const SyntheticSpectrum& SpectrumSource::next()
{
    SyntheticSpectrum& s = spectrum_;
    // The instrument doubles or halves its integration time as the light changes.
    if (index_ % 25 == 24)
        s.intTime = s.intTime >= 256 ? 64 : s.intTime * 2;
    s.time = 36000000 + index_ * (s.intTime + 300);
    s.temp = static_cast<float>(14.2 - 0.0004 * index_ + 0.02 * noise());
    s.volts = static_cast<float>(12.1 + 0.01 * noise());
    s.depth = static_cast<float>(std::max(0.0, 0.05 * index_ + 0.02 * noise()));
    const double light = channel_.peakCounts * s.intTime / 128.0 * std::exp(-0.0002 * index_);
    for (std::size_t p = 0; p < shape_.size(); ++p) {
        const double dark = (p < 4 ? 490.0 : 505.0) + 2.0 * noise();
        const double signal = light * shape_[p];
        const double counts = dark + signal + std::sqrt(signal + 4.0) * noise();
        s.counts[p] = static_cast<int>(std::clamp(counts, 0.0, 32000.0));
    }
    ++index_;
    return s;
}
