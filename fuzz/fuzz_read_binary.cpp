// Every binary spectrum record until the reader stops; then every record the
// reader that goes on past damage finds, until the end of the data: each one
// exactly the bytes where it says it starts, and the one after a damaged
// record followed (past at most a line end) by the end of the data or by a
// valid header.

#include "core/input_formats.h"
#include "damaged_binary.h"
#include "fuzz_support.h"

#include <cstdlib>
#include <string>
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
    InputStream again(data, size);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ResumeState state;
    bool afterDamage = false;
    for (std::size_t calls = 0;; ++calls) {
        if (calls > size + 1) // every read gets on
            std::abort();
        const SpectrumRead read = readSpectrumResuming(record, pixels.data(), again.get(), 1, 2, log, state);
        if (read.outcome == ReadOutcome::EndOfData)
            break;
        if (read.outcome != ReadOutcome::Spectrum) {
            afterDamage = read.outcome == ReadOutcome::Damaged;
            continue;
        }
        const auto offset = static_cast<std::size_t>(read.offset);
        if (!readFrom(bytes, offset, record, pixels.data()) ||
            (afterDamage && !layoutGoesOn(bytes, offset + recordLength(record), false)))
            std::abort();
        afterDamage = false;
    }
    return 0;
}
