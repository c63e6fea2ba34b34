#pragma once
#include "core/spectrum_record.h"

#include <cstdint>

// How one read of the file loop ended. The numeric result alone cannot tell
// an unreadable text line from the end of the data; this can, so the loop
// passes over such a line and goes on.
enum class ReadOutcome : uint8_t {
    Spectrum,    // a whole spectrum was read
    EndOfData,   // no spectrum follows
    NotSpectrum, // a text line that starts like a number but not like a spectrum
    Damaged,     // a spectrum that cannot be read whole, or that runs into the next; the read goes on after it
    CutShort,    // the last spectrum of the file, which the end of the file cut short
};

struct SpectrumRead {
    int16_t result; // the read's numeric code: 0 for a whole spectrum, else what stopped it
    ReadOutcome outcome;
    long offset; // where the spectrum or passed-over text starts; -1 when unknown or not told
};

// What one resuming read of a file leaves for the next one.
struct ResumeState {
    // Text: the stream stands inside a line, at values that ran on after a
    // spectrum's last value. They are read as the next spectrum, which must
    // read whole and have the pixel set of the one they ran on from.
    bool runOn = false;
    SpectrumRecord ranOnFrom{};
};
