#include "calibration/cal_table.h"

CalSlot calTable[MAX_CHANNELS];

bool slotLoaded(int channel)
{
    if (channel < 0 || channel >= MAX_CHANNELS)
        return false;
    const CalSlot& slot = calTable[channel];
    return slot.cal && slot.pixelCals;
}

void freeCals()
{
    // The integration-time coefficients and the table's numbers stay; only
    // the owned records go.
    for (CalSlot& slot : calTable) {
        slot.cal.reset();
        slot.pixelCals.reset();
        slot.pixelCalCount = 0;
        slot.nl.values.reset();
    }
}

double pixelWavelength(int channel, int16_t p)
{
    if (channel < 0 || channel >= MAX_CHANNELS || !calTable[channel].cal)
        return 0.0;
    const float* c = calTable[channel].cal->waveCoefs;
    const double pixel = p;
    return (pixel * c[1] + c[0]) + (pixel * c[2]) * pixel;
}
