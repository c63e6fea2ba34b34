#include "calibration/level_processing.h"

#include "calibration/cal_table.h"
#include "calibration/calibration_steps.h"
#include "core/log.h"

namespace {

enum Level : int16_t { RAW = 0, PIXEL_ADJUSTED = 1, DARK_ADJUSTED = 2, TIME_NORMALIZED = 3, FULL_CAL = 4 };

void establishDarkValues(SpectrumRecord& record, const float* pixels, const ChannelCal& cal, const Log& log)
{
    if (record.pixInc == 1 && record.firstPix <= cal.DoFirstPix) {
        record.Do = static_cast<float>(darkMean(pixels, record, cal.DoFirstPix, cal.DoLastPix));
        record.Dt = static_cast<float>(darkMean(pixels, record, cal.DtFirstPix, cal.DtLastPix));
    } else if (!(record.Do > 0.0f) || !(record.Dt > 0.0f)) {
        log.message("NOTE: cannot calculate Do and/or Dt.\n");
    }
}

void adjustLevel(SpectrumRecord& record, float* pixels, const CalSlot& slot, const Log& log)
{
    if (record.pixInc == 1)
        adjustPixels(pixels, record, slot);
    else
        log.message("NOTE: cannot adjust pixels (not enough pixels available).\n");
    record.process = PIXEL_ADJUSTED;
}

void normalizeLevel(SpectrumRecord& record, float* pixels, const CalSlot& slot, const Log& log)
{
    log.debug("linearize\n");
    applyNLTable(pixels, record, slot.nl);
    log.debug("normalizing.\n");
    if (record.intTime > 0) {
        normalizeTime(pixels, record, slot.intTimeCals);
        record.process = TIME_NORMALIZED;
    } else {
        log.message("WARNING: Invalid integration time (%ld).\n", static_cast<long>(record.intTime));
    }
}

} // namespace

int16_t processSpectrum(SpectrumRecord& record, float* pixels, int16_t channel, int8_t level, const CalTable& calTable,
                        const Log& log)
{
    if (channel < 0 || channel >= MAX_CHANNELS) {
        log.message("WARNING: Invalid channel number (%d > %d); cannot process Spectrum\n", channel + 1, MAX_CHANNELS);
        return 1;
    }
    const bool loaded = calTable.slotLoaded(channel);
    if (!loaded && level != RAW) {
        log.message("WARNING: NO CAL LOADED FOR CHANNEL %d\nONLY RAW DATA AVAILABLE.\n", channel + 1);
        return 1;
    }
    // A negative level is no level at all: the values are raw counts.
    if (record.process < RAW)
        record.process = RAW;

    log.debug("Pre-raw Do:%f Dt:%f\n", record.Do, record.Dt);
    if (record.process == RAW && loaded)
        establishDarkValues(record, pixels, *calTable[channel].cal, log);
    log.debug("Post-raw Do:%f Dt:%f\n", record.Do, record.Dt);
    if (record.process >= level)
        return 0;

    // From here on the level asked for is above raw, so the slot is loaded.
    const CalSlot& slot = calTable[channel];
    if (record.process < PIXEL_ADJUSTED)
        adjustLevel(record, pixels, slot, log);
    log.debug("Post-adjust Do:%f Dt:%f\n", record.Do, record.Dt);
    if (level == PIXEL_ADJUSTED)
        return 0;

    if (record.process < DARK_ADJUSTED) {
        subtractDark(pixels, record, slot);
        record.process = DARK_ADJUSTED;
    }
    if (level == DARK_ADJUSTED)
        return 0;

    if (record.process < TIME_NORMALIZED)
        normalizeLevel(record, pixels, slot, log);
    if (level == TIME_NORMALIZED)
        return 0;

    // Counts never divided by a time are no radiometric quantity: the
    // coefficients would give them the calibration's units all the same, so
    // such a spectrum stays at level 2.
    if (record.process == TIME_NORMALIZED) {
        applyCalCoefs(pixels, record, slot);
        record.process = FULL_CAL;
    }
    if (level == FULL_CAL)
        return 0;

    log.error("Unknown process number: %d\n", level);
    return 1;
}
