#pragma once
// A text data file built from fuzz bytes as good spectra with damage between
// them: lines that hold no spectrum, cut copies of spectrum lines, and two
// spectrum lines run together where a line end was lost.

#include <cstddef>
#include <cstdint>
#include <string>

struct DamagedText {
    std::string clean;   // the header lines and the good spectra alone
    std::string damaged; // the same with the damage in between
    int lost = 0;        // the spectra the damage lost
};

DamagedText buildDamagedText(const uint8_t* data, std::size_t size);
