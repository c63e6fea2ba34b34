#pragma once
// The channel calibration table: one slot per channel letter A..Y, filled
// from a calibration file by loadCalFile and emptied by freeCals.

#include "calibration/cal_file.h" // CalFileOpenError, which loadCalFile lets pass
#include "core/log.h"
#include "core/spectrum_record.h"

#include <cstdint>
#include <memory>

struct ChannelCal {
    char serial[32];
    char name[32];
    char units[32];
    int16_t DoFirstPix;
    int16_t DoLastPix;
    int16_t DtFirstPix;
    int16_t DtLastPix;
    float calScale;
    int16_t firstCalPix;
    int16_t lastCalPix;
    float waveCoefs[3];
};

struct PixelCal {
    int16_t adjustCode;
    float darkWeight;
    float calCoef;
};

// values, when present, holds at least count entries (count is then above 0).
struct NLTable {
    int16_t start = 0;
    int16_t step = 0;
    int16_t max = 0;
    int16_t count = 0;
    std::unique_ptr<float[]> values;
};

struct IntTimeCal {
    float i[6] = {};
};

struct CalSlot {
    std::unique_ptr<ChannelCal> cal;
    // Entry for pixel number p at p - firstCalPix; only indices below
    // pixelCalCount exist. A channel section without pixel lines allocates
    // nothing, which leaves the slot not loaded.
    std::unique_ptr<PixelCal[]> pixelCals;
    int pixelCalCount = 0;
    IntTimeCal intTimeCals;
    NLTable nl;

    // The entry for pixel number p, or null when the table has none.
    const PixelCal* pixelEntry(int p) const
    {
        const int index = p - cal->firstCalPix;
        return index >= 0 && index < pixelCalCount ? &pixelCals[static_cast<std::size_t>(index)] : nullptr;
    }
};

extern CalSlot calTable[MAX_CHANNELS];

// A slot is loaded when it has both its ChannelCal and its PixelCal array.
bool slotLoaded(int channel);

// Loads every complete channel of the calibration file into calTable; a
// loaded slot is replaced and what it held released. Throws CalFileOpenError
// when the file cannot be opened; calTable is then unchanged. Returns 0 when
// at least one channel became usable, 1 (after an error message) when none
// did.
int16_t loadCalFile(const char* fileName, uint8_t debug, uint8_t ignoreImmersion, LogCallback callback);

// Releases every slot's records; afterwards no slot is loaded.
void freeCals();

// Wavelength of pixel number p: (p*c1 + c0) + (p*c2)*p in double precision.
// The caller checks that the slot is loaded; a slot without a ChannelCal
// gives 0.
double pixelWavelength(int channel, int16_t p);
