// orvantis-gen: writes synthetic calibration and data files for examples,
// tests and benchmarks.
//
//   orvantis-gen cal PATH SERIAL PIXELS
//   orvantis-gen data PATH SERIAL CHANNEL LAYOUT SPECTRA PIXELS [SEED]
//
// CHANNEL counts from 1 (1 = A); LAYOUT is text1, text2, raw or processed.

#include "bench/data_writers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fputs("usage: orvantis-gen cal PATH SERIAL PIXELS\n"
               "       orvantis-gen data PATH SERIAL CHANNEL text1|text2|raw|processed SPECTRA PIXELS [SEED]\n",
               stderr);
    return 2;
}

bool parseLayout(const char* text, DataLayout& layout)
{
    const struct {
        const char* name;
        DataLayout layout;
    } names[] = {{"text1", DataLayout::Text1},
                 {"text2", DataLayout::Text2},
                 {"raw", DataLayout::BinaryRaw},
                 {"processed", DataLayout::BinaryProcessed}};
    for (const auto& n : names)
        if (std::strcmp(text, n.name) == 0) {
            layout = n.layout;
            return true;
        }
    return false;
}

bool validPixelCount(int pixels)
{
    return pixels >= 16 && pixels <= 2048;
}

int written(bool ok, const char* path)
{
    if (ok)
        return 0;
    std::fprintf(stderr, "orvantis-gen: cannot write %s\n", path);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "cal") == 0) {
        const int pixels = std::atoi(argv[4]);
        if (!validPixelCount(pixels))
            return usage();
        return written(writeCalibrationFile(argv[2], argv[3], pixels), argv[2]);
    }
    if ((argc == 8 || argc == 9) && std::strcmp(argv[1], "data") == 0) {
        DataFileRequest request;
        request.serial = argv[3];
        request.channelIndex = std::atoi(argv[4]) - 1;
        request.spectra = std::atoi(argv[6]);
        request.pixels = std::atoi(argv[7]);
        request.seed = argc == 9 ? static_cast<uint32_t>(std::strtoul(argv[8], nullptr, 10)) : 1;
        if (!parseLayout(argv[5], request.layout) || request.channelIndex < 0 || request.spectra < 0 ||
            !validPixelCount(request.pixels))
            return usage();
        return written(writeDataFile(argv[2], request), argv[2]);
    }
    return usage();
}
