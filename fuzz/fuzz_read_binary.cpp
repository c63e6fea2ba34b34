// Every binary spectrum record until the reader stops.

#include "core/input_formats.h"
#include "fuzz_support.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const Log log = silentLog();
    InputStream input(data, size);
    // Exactly MAX_PIXELS on the heap, so a store past the end is caught.
    std::vector<float> pixels(MAX_PIXELS);
    SpectrumRecord record{};
    while (readSpectrum(record, pixels.data(), input.get(), 1, 0, log) == 0) {
    }
    return 0;
}
