#pragma once
// The record's per-spectrum fields as NetCDF variables along `time`:
// their names, types, descriptions and units where the data file states
// them. The time stamp, integration time, temperature and depth carry no
// units: the instrument's files never say which it uses, and a guessed unit
// would be worse than none.

#include "core/spectrum_record.h"

#include <array>
#include <cstddef>

struct SpectrumField {
    const char* name;
    bool real; // a float variable, else an integer one of `integerType`
    int integerType;
    const char* longName;
    const char* units;   // null when unknown
    const char* comment; // null when the long name says it all
    double (*value)(const SpectrumRecord&);
    void (*assign)(SpectrumRecord&, double); // the reverse, for reading the file back
};

constexpr int SPECTRUM_FIELD_COUNT = 13;
// Where the instrument's time stamp and depth are among the fields.
constexpr std::size_t TIME_FIELD = 0;
constexpr std::size_t DEPTH_FIELD = 4;

const std::array<SpectrumField, SPECTRUM_FIELD_COUNT>& spectrumFields();
