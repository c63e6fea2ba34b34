#pragma once
// Builders of spectra and calibration slots for the step tests.

#include "calibration/cal_table.h"
#include "core/spectrum_record.h"

#include <memory>

inline SpectrumRecord spectrum(int16_t firstPix, int16_t pixInc, int16_t numPix)
{
    SpectrumRecord record{};
    record.firstPix = firstPix;
    record.pixInc = pixInc;
    record.numPix = numPix;
    record.N = 1;
    record.scale = 1.0f;
    return record;
}

// A slot for pixel numbers firstCalPix..lastCalPix, every entry alike;
// entries allocated defaults to the whole range.
inline CalSlot uniformSlot(int16_t firstCalPix, int16_t lastCalPix, PixelCal entry, int entries = -1)
{
    CalSlot slot;
    slot.cal = std::make_unique<ChannelCal>();
    slot.cal->firstCalPix = firstCalPix;
    slot.cal->lastCalPix = lastCalPix;
    slot.pixelCalCount = entries >= 0 ? entries : lastCalPix - firstCalPix + 1;
    slot.pixelCals = std::make_unique<PixelCal[]>(slot.pixelCalCount);
    for (int k = 0; k < slot.pixelCalCount; ++k)
        slot.pixelCals[k] = entry;
    return slot;
}

// A buffer of MAX_PIXELS values, all set to fill.
struct Pixels {
    explicit Pixels(float fill = 0.0f)
    {
        for (float& v : values)
            v = fill;
    }
    float& operator[](int k) { return values[k]; }
    float values[MAX_PIXELS];
};
