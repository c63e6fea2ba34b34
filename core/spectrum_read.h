#pragma once
#include <cstdint>

// How one read of the file loop ended. The numeric result alone cannot tell
// an unreadable text line from the end of the data; this can, so the loop
// passes over such a line and goes on.
enum class ReadOutcome : uint8_t {
    Spectrum,    // a whole spectrum was read
    EndOfData,   // no spectrum follows
    NotSpectrum, // a text line that starts like a number but not like a spectrum
    Damaged,     // a text line that starts like a spectrum but cannot be read whole
    Stopped,     // a binary record that cannot be read: nothing after it can be found without guessing
};

struct SpectrumRead {
    int16_t result; // the read's numeric code: 0 for a whole spectrum, else what stopped it
    ReadOutcome outcome;
    long lineOffset; // NotSpectrum, Damaged: the byte where the passed-over line starts; -1 when unknown
};
