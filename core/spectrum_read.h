#pragma once
#include <cstdint>

// How one read of a file loop ended, finer than readSpectrum's result: text
// that cannot be read is told apart from the end of the data, so that the
// loop can pass over it and go on.
enum class ReadOutcome : uint8_t {
    Spectrum,    // a whole spectrum was read
    EndOfData,   // no spectrum follows
    NotSpectrum, // a text line that starts like a number but not like a spectrum
    Damaged,     // a text line that starts like a spectrum but cannot be read whole
    Stopped,     // a binary record that cannot be read: nothing after it can be found without guessing
};

struct SpectrumRead {
    int16_t result; // readSpectrum's result for the same read
    ReadOutcome outcome;
    long lineOffset; // NotSpectrum, Damaged: the byte where the passed-over line starts; -1 when unknown
};
