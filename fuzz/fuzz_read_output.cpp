// The output reader on arbitrary file contents: it reads spectra or stops
// with an OutputReadError, and a spectrum returned to by its position reads
// the same again. A transposed table reads the same, or fails the same,
// when read in blocks of a few spectra by several threads.

#include "readback/output_reader.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

bool same(const OutputSpectrum& a, const OutputSpectrum& b)
{
    if (std::memcmp(&a.record, &b.record, sizeof a.record) != 0 || a.values.size() != b.values.size())
        return false;
    // An empty vector's data may be null, which memcmp must not get.
    return a.values.empty() || std::memcmp(a.values.data(), b.values.data(), a.values.size() * sizeof(float)) == 0;
}

// All the spectra, or the error met.
struct Reading {
    std::vector<OutputSpectrum> spectra;
    std::string error;
};

Reading readWhole(const std::string& path, const TableReading& how)
{
    Reading reading;
    try {
        OutputReader reader(path, how);
        for (OutputSpectrum spectrum; reader.next(spectrum);)
            reading.spectra.push_back(spectrum);
    } catch (const OutputReadError& error) {
        reading.error = error.what();
    }
    return reading;
}

// Reads the table in one block by one thread, then in small blocks by
// three threads sharing single rows. Each block starts threads, so the
// blocks grow with the input: a spectrum each for inputs under 512 bytes.
void compareSmallBlocks(const std::string& path, std::size_t size)
{
    const Reading whole = readWhole(path, {1 << 20, 1, 16});
    const Reading small = readWhole(path, {1 + size / 512, 3, 1});
    // Read in blocks, the spectra before a damaged block come out first.
    if (whole.error != small.error)
        std::abort();
    if (whole.error.empty() && (whole.spectra.size() != small.spectra.size() ||
                                !std::equal(whole.spectra.begin(), whole.spectra.end(), small.spectra.begin(), same)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    // NetCDF outputs are parsed by the NetCDF and HDF5 libraries, not by
    // this reader's own code, which is what this target fuzzes.
    for (const char* signature : {"\x89HDF", "CDF"})
        if (size >= std::strlen(signature) && std::memcmp(data, signature, std::strlen(signature)) == 0)
            return 0;
    static ScratchFolder folder;
    const std::string path = folder.write("OUT.DAT", data, size);
    bool transposed = false;
    try {
        OutputReader reader(path);
        transposed = reader.layout() == OutputLayout::Transposed;
        OutputSpectrum first;
        const std::int64_t start = reader.position();
        if (!reader.next(first))
            return 0;
        for (OutputSpectrum spectrum; reader.next(spectrum);) {
        }
        OutputSpectrum again;
        reader.seek(start);
        if (!reader.next(again) || !same(first, again))
            std::abort();
    } catch (const OutputReadError&) {
    }
    if (transposed)
        compareSmallBlocks(path, size);
    return 0;
}
