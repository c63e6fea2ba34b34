// Binary records with one damage done to them, read by the reader that goes
// on past damage. No record is made up: each one read is an input record
// left whole, or one read across the damage. Every record left whole is read,
// unless it lies inside one read across the damage that the layout shows no
// sign of (as when its value count was changed to take in whole records), or
// it is the one right before the damage (which cannot tell a record cut short
// from bytes missing at the start of the next) and a loss is reported. A
// record the damage hit whose marker is left is read from it, or its loss is
// reported.

#include "core/input_formats.h"
#include "damaged_binary.h"
#include "fuzz_support.h"

#include <cstdlib>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct RecordRead {
    std::size_t offset;
    std::size_t length;
};

// Whether a record starts inside one read across the damage, which the
// layout shows no sign of being too long: what follows it is as expected.
bool swallowedUnseen(const DamagedBinary& built, const std::vector<RecordRead>& reads, std::size_t offset)
{
    for (const RecordRead& read : reads)
        if (offset > read.offset && offset < read.offset + read.length &&
            built.touchesDamage(read.offset, read.offset + read.length - 1) &&
            layoutGoesOn(built.damaged, read.offset + read.length, true))
            return true;
    return false;
}

// Whether record i is the last one that ends before the damage starts.
bool lastBeforeDamage(const DamagedBinary& built, std::size_t i)
{
    return built.ends[i] <= built.at && (i + 1 == built.starts.size() || built.ends[i + 1] > built.at);
}

bool readAt(const std::vector<RecordRead>& reads, std::size_t offset)
{
    for (const RecordRead& read : reads)
        if (read.offset == offset)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const Log log = silentLog();
    const DamagedBinary built = buildDamagedBinary(data, size);
    InputStream input(reinterpret_cast<const uint8_t*>(built.damaged.data()), built.damaged.size());
    std::vector<float> pixels(MAX_PIXELS);
    SpectrumRecord record{};
    ResumeState state;
    std::vector<RecordRead> reads;
    bool lossReported = false;
    for (std::size_t calls = 0;; ++calls) {
        check(calls <= built.damaged.size() + 1); // every read gets on
        const SpectrumRead read = readSpectrumResuming(record, pixels.data(), input.get(), 1, 2, log, state);
        if (read.outcome == ReadOutcome::EndOfData)
            break;
        check(read.outcome != ReadOutcome::NotSpectrum && read.offset >= 0);
        const auto offset = static_cast<std::size_t>(read.offset);
        if (read.outcome != ReadOutcome::Spectrum) {
            lossReported = true;
            continue;
        }
        check(readFrom(built.damaged, offset, record, pixels.data()));
        const RecordRead extent{offset, recordLength(record)};
        bool original = false;
        for (std::size_t i = 0; i < built.starts.size(); ++i) {
            std::size_t marker;
            original = original || (built.whole(i) && built.markerIn(i, marker) && marker == offset);
        }
        check(original || built.touchesDamage(offset, offset + extent.length - 1));
        reads.push_back(extent);
    }
    const bool damaged = built.removed != 0 || built.inserted != 0;
    check(damaged || (!lossReported && reads.size() == built.starts.size()));
    for (std::size_t i = 0; i < built.starts.size(); ++i) {
        std::size_t marker;
        if (!built.markerIn(i, marker) || readAt(reads, marker) || swallowedUnseen(built, reads, marker))
            continue;
        check((!built.whole(i) || lastBeforeDamage(built, i)) && lossReported);
    }
    return 0;
}
