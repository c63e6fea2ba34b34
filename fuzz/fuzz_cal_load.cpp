// loadCalFile on arbitrary file contents: a load reports success exactly when
// a channel became usable, and every loaded channel can be used.

#include "calibration/cal_table.h"
#include "conversion/default_context.h"
#include "fuzz_support.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const ScratchFolder folder;
    silenceLog();
    const std::string path = folder.write("test.cal", data, size);
    freeCals();
    const uint8_t ignoreImmersion = size > 0 ? data[0] & 1 : 0;
    const int16_t result = loadCalFile(path.c_str(), 1, ignoreImmersion, logSink);
    int loaded = 0;
    for (int channel = 0; channel < MAX_CHANNELS; ++channel) {
        if (!slotLoaded(channel))
            continue;
        ++loaded;
        const CalSlot& slot = calTable[channel];
        volatile double sum = 0;
        for (int p = slot.cal->firstCalPix - 2; p <= slot.cal->lastCalPix + 2; ++p)
            if (const PixelCal* entry = slot.pixelEntry(p))
                sum = sum + entry->calCoef + pixelWavelength(channel, static_cast<int16_t>(p));
    }
    if ((result == 0) != (loaded > 0))
        std::abort();
    freeCals();
    return 0;
}
