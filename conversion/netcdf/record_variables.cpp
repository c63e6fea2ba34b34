#include "conversion/netcdf/record_variables.h"

#include <netcdf.h>

namespace {

constexpr const char* NO_UNIT = "The instrument's data files do not state its unit.";

// clang-format off
const std::array<SpectrumField, SPECTRUM_FIELD_COUNT> fields{{
    {"instrument_time", false, NC_INT, "time stamp recorded by the instrument", nullptr,
     "The instrument's data files state neither the unit nor the epoch of this time stamp.",
     [](const SpectrumRecord& r) { return static_cast<double>(r.time); },
     [](SpectrumRecord& r, double v) { r.time = static_cast<decltype(r.time)>(v); }},
    {"integration_time", false, NC_INT, "integration time as recorded", nullptr, NO_UNIT,
     [](const SpectrumRecord& r) { return static_cast<double>(r.intTime); },
     [](SpectrumRecord& r, double v) { r.intTime = static_cast<decltype(r.intTime)>(v); }},
    {"temperature", true, 0, "temperature", nullptr, NO_UNIT,
     [](const SpectrumRecord& r) { return static_cast<double>(r.temp); },
     [](SpectrumRecord& r, double v) { r.temp = static_cast<decltype(r.temp)>(v); }},
    {"volts", true, 0, "voltage reading", "V", nullptr,
     [](const SpectrumRecord& r) { return static_cast<double>(r.volts); },
     [](SpectrumRecord& r, double v) { r.volts = static_cast<decltype(r.volts)>(v); }},
    {"depth", true, 0, "depth", nullptr, NO_UNIT,
     [](const SpectrumRecord& r) { return static_cast<double>(r.depth); },
     [](SpectrumRecord& r, double v) { r.depth = static_cast<decltype(r.depth)>(v); }},
    {"process", false, NC_SHORT, "processing level reached by the spectrum's values", "1",
     "0 raw, 1 pixel adjusted, 2 dark adjusted, 3 dark adjusted and time normalized, 4 full cal. A spectrum "
     "whose integration time is not above 0 stays at level 2 whatever level was asked for.",
     [](const SpectrumRecord& r) { return static_cast<double>(r.process); },
     [](SpectrumRecord& r, double v) { r.process = static_cast<decltype(r.process)>(v); }},
    {"N", false, NC_SHORT, "count N carried through from the input", "1",
     "Carried through unchanged; 1 when the input form has no such field.",
     [](const SpectrumRecord& r) { return static_cast<double>(r.N); },
     [](SpectrumRecord& r, double v) { r.N = static_cast<decltype(r.N)>(v); }},
    {"scale", true, 0, "scale carried through from the input", "1",
     "Carried through unchanged; 1 when the input form has no such field.",
     [](const SpectrumRecord& r) { return static_cast<double>(r.scale); },
     [](SpectrumRecord& r, double v) { r.scale = static_cast<decltype(r.scale)>(v); }},
    {"Do", true, 0, "dark value Do", "count",
     "Mean raw count of the calibration's Do dark pixels, or as read from the input.",
     [](const SpectrumRecord& r) { return static_cast<double>(r.Do); },
     [](SpectrumRecord& r, double v) { r.Do = static_cast<decltype(r.Do)>(v); }},
    {"Dt", true, 0, "dark value Dt", "count",
     "Mean raw count of the calibration's Dt dark pixels, or as read from the input.",
     [](const SpectrumRecord& r) { return static_cast<double>(r.Dt); },
     [](SpectrumRecord& r, double v) { r.Dt = static_cast<decltype(r.Dt)>(v); }},
    {"first_pixel", false, NC_SHORT, "detector pixel number of the spectrum's first value", "1", nullptr,
     [](const SpectrumRecord& r) { return static_cast<double>(r.firstPix); },
     [](SpectrumRecord& r, double v) { r.firstPix = static_cast<decltype(r.firstPix)>(v); }},
    {"pixel_increment", false, NC_SHORT, "step between the pixel numbers of successive values", "1", nullptr,
     [](const SpectrumRecord& r) { return static_cast<double>(r.pixInc); },
     [](SpectrumRecord& r, double v) { r.pixInc = static_cast<decltype(r.pixInc)>(v); }},
    {"pixel_count", false, NC_SHORT, "number of values of the spectrum", "1", nullptr,
     [](const SpectrumRecord& r) { return static_cast<double>(r.numPix); },
     [](SpectrumRecord& r, double v) { r.numPix = static_cast<decltype(r.numPix)>(v); }},
}};
// clang-format on

} // namespace

const std::array<SpectrumField, SPECTRUM_FIELD_COUNT>& spectrumFields()
{
    return fields;
}
