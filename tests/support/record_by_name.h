#pragma once
// A record whose every field holds a value of its own, set member by member,
// and what each output form must show of each field, written out by hand
// rather than taken from the program's table of fields: a table that mixed
// two fields up fails against it.

#include "core/spectrum_record.h"

#include <cstddef>
#include <vector>

inline SpectrumRecord recordByName()
{
    SpectrumRecord r{};
    r.channel = 2;
    r.time = 123456789;
    r.intTime = 70000; // beyond 16 bits
    r.temp = 21.5f;
    r.depth = -3.75f;
    r.volts = 12.25f;
    r.process = 3;
    r.N = 7;
    r.scale = 0.625f;
    r.Do = 812.125f;
    r.Dt = -0.0375f;
    r.firstPix = -5;
    r.pixInc = 2;
    r.numPix = 3;
    return r;
}

struct FieldByName {
    const char* member;
    std::size_t offset; // in the 48-byte little-endian record
    std::size_t size;
    bool real;
    const char* columnLabel;
    const char* rowLabel;
    const char* cell;      // in a normal row
    const char* labelCell; // in a transposed label row
    const char* variable;  // in a NetCDF file, after the spectra's name and '_'
    double (*of)(const SpectrumRecord&);
};

// In the order NetCDF files define their variables.
// clang-format off
inline const std::vector<FieldByName> FIELDS_BY_NAME{
    {"time",     2,  4, false, "Time",     "Time",     "123456789", "123456789", "instrument_time",
     [](const SpectrumRecord& r) { return double(r.time); }},
    {"intTime",  10, 4, false, "IntTime",  "intTime",  "70000",     "70000",     "integration_time",
     [](const SpectrumRecord& r) { return double(r.intTime); }},
    {"temp",     14, 4, true,  "temp",     "temp",     "21.5",      "21.50",     "temperature",
     [](const SpectrumRecord& r) { return double(r.temp); }},
    {"volts",    22, 4, true,  "volts",    "volts",    "12.25",     "12.25",     "volts",
     [](const SpectrumRecord& r) { return double(r.volts); }},
    {"depth",    18, 4, true,  "depth",    "depth",    "-3.75",     "-3.75",     "depth",
     [](const SpectrumRecord& r) { return double(r.depth); }},
    {"process",  26, 2, false, "process",  "process",  "3",         "3",         "process",
     [](const SpectrumRecord& r) { return double(r.process); }},
    {"N",        28, 2, false, "N",        "N",        "7",         "7",         "N",
     [](const SpectrumRecord& r) { return double(r.N); }},
    {"scale",    30, 4, true,  "scale",    "Scale",    "0.625",     "0.625",     "scale",
     [](const SpectrumRecord& r) { return double(r.scale); }},
    {"Do",       34, 4, true,  "Do",       "Do",       "812.1",     "812.1",     "Do",
     [](const SpectrumRecord& r) { return double(r.Do); }},
    {"Dt",       38, 4, true,  "Dt",       "Dt",       "-0.0375",   "-0.0375",   "Dt",
     [](const SpectrumRecord& r) { return double(r.Dt); }},
    {"firstPix", 42, 2, false, "firstPix", "firstPix", "-5",        "-5",        "first_pixel",
     [](const SpectrumRecord& r) { return double(r.firstPix); }},
    {"pixInc",   44, 2, false, "pixInc",   "pixInc",   "2",         "2",         "pixel_increment",
     [](const SpectrumRecord& r) { return double(r.pixInc); }},
    {"numPix",   46, 2, false, "numPix",   "numPix",   "3",         "3",         "pixel_count",
     [](const SpectrumRecord& r) { return double(r.numPix); }},
};
// clang-format on
