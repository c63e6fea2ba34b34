#include "conversion/netcdf/variable_names.h"

#include <cctype>
#include <cstring>

namespace {

// A channel type as a CF name: letters, digits and underscores, beginning
// with a letter; never one of the file's other names.
std::string asVariableName(const char* type)
{
    std::string name;
    for (const char* c = type; *c; ++c)
        name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    if (name.empty() || !std::isalpha(static_cast<unsigned char>(name.front())))
        name = "channel_" + name;
    if (name == "time" || name.starts_with("wavelength") || name.starts_with("pixel"))
        name += "_values";
    return name;
}

} // namespace

std::string dataVariableName(int level, const CalTable& calibration, int channel)
{
    switch (level) {
    case 0: return "counts";
    case 1: return "pixel_adjusted_counts";
    case 2: return "dark_adjusted_counts";
    case 3: return "normalized_counts";
    default: break;
    }
    const ChannelCal* cal = calibration.channelCal(channel);
    return cal ? asVariableName(cal->name) : "calibrated_values";
}

std::string numbered(const std::string& name, int number)
{
    return number == 1 ? name : name + "_" + std::to_string(number);
}

const char* standardNameOf(const std::string& channelType)
{
    // Irradiance is a radiative flux in CF's words; E below water, Es on deck.
    static const struct {
        const char* type;
        const char* standardName;
    } names[] = {
        {"Ed", "downwelling_radiative_flux_per_unit_wavelength_in_sea_water"},
        {"Eu", "upwelling_radiative_flux_per_unit_wavelength_in_sea_water"},
        {"Lu", "upwelling_radiance_per_unit_wavelength_in_sea_water"},
        {"Ld", "downwelling_radiance_per_unit_wavelength_in_sea_water"},
        {"Es", "surface_downwelling_radiative_flux_per_unit_wavelength_in_air"},
        {"Li", "downwelling_radiance_per_unit_wavelength_in_air"},
        {"Lsky", "downwelling_radiance_per_unit_wavelength_in_air"},
        {"Lt", "upwelling_radiance_per_unit_wavelength_in_air"},
    };
    for (const auto& n : names)
        if (channelType == n.type)
            return n.standardName;
    return nullptr;
}
