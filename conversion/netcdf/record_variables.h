#pragma once
// The record's per-spectrum fields as NetCDF variables along `spectrum`:
// their names, types, descriptions and units where the data file states
// them. The time stamp, integration time, temperature and depth carry no
// units: the instrument's files never say which it uses, and a guessed unit
// would be worse than none.

#include "core/spectrum_record.h"

#include <array>

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

const std::array<SpectrumField, SPECTRUM_FIELD_COUNT>& spectrumFields();
