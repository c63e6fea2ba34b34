#include "calibration/cal_table.h"

bool CalTable::slotLoaded(int channel) const
{
    if (channel < 0 || channel >= MAX_CHANNELS)
        return false;
    const CalSlot& slot = (*this)[channel];
    return slot.cal && slot.pixelCals;
}

const ChannelCal* CalTable::channelCal(int channel) const
{
    return channel >= 0 && channel < MAX_CHANNELS ? (*this)[channel].cal.get() : nullptr;
}

void CalTable::freeCals()
{
    // The integration-time coefficients and the table's numbers stay; only
    // the owned records go.
    for (CalSlot& slot : slots_) {
        slot.cal.reset();
        slot.pixelCals.reset();
        slot.pixelCalCount = 0;
        slot.nl.values.reset();
    }
}

double CalTable::pixelWavelength(int channel, int16_t p) const
{
    const ChannelCal* cal = channelCal(channel);
    if (!cal)
        return 0.0;
    const float* c = cal->waveCoefs;
    const double pixel = p;
    return (pixel * c[1] + c[0]) + (pixel * c[2]) * pixel;
}
