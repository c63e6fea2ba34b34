// The output reader on arbitrary file contents: it reads spectra or stops
// with an OutputReadError, and a spectrum returned to by its position reads
// the same again.

#include "readback/output_reader.h"
#include "fuzz_support.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

bool same(const OutputSpectrum& a, const OutputSpectrum& b)
{
    if (std::memcmp(&a.record, &b.record, sizeof a.record) != 0 || a.values.size() != b.values.size())
        return false;
    // An empty vector's data may be null, which memcmp must not get.
    return a.values.empty() || std::memcmp(a.values.data(), b.values.data(), a.values.size() * sizeof(float)) == 0;
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
    try {
        OutputReader reader(path);
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
    return 0;
}
