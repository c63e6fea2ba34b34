#pragma once
// The channel calibration table: one slot per channel letter A..Y, filled
// from a calibration file by loadCalFile and emptied by freeCals.

#include "calibration/cal_file.h" // CalFileOpenError, which loadCalFile lets pass
#include "core/log.h"
#include "core/spectrum_record.h"

#include <array>
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

// The calibration of one instrument, a slot per channel index. Loaded once
// and then only read, so conversions running at once may share it.
class CalTable {
public:
    CalSlot& operator[](int channel) { return slots_[static_cast<std::size_t>(channel)]; }
    const CalSlot& operator[](int channel) const { return slots_[static_cast<std::size_t>(channel)]; }
    CalSlot* begin() { return slots_.begin(); }
    CalSlot* end() { return slots_.end(); }

    // A slot is loaded when it has both its ChannelCal and its PixelCal
    // array; false for a channel outside the table.
    bool slotLoaded(int channel) const;
    // The ChannelCal of the channel, or null (also outside the table).
    const ChannelCal* channelCal(int channel) const;
    // Wavelength of pixel number p: (p*c1 + c0) + (p*c2)*p in double
    // precision; 0 for a slot without a ChannelCal.
    double pixelWavelength(int channel, int16_t p) const;
    // Releases every slot's records; afterwards no slot is loaded.
    void freeCals();

private:
    std::array<CalSlot, MAX_CHANNELS> slots_;
};

// Loads every complete channel of the calibration file into the table; a
// loaded slot is replaced and what it held released. Throws
// CalFileOpenError when the file cannot be opened; the table is then
// unchanged. Returns 0 when at least one channel became usable, 1 (after an
// error message) when none did.
int16_t loadCalFile(CalTable& table, const char* fileName, bool ignoreImmersion, const Log& log);
