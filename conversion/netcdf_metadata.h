#pragma once
// What a NetCDF output cannot learn from the instrument's files and the user
// may tell it: the unit and epoch of the time stamps, the unit of the depth,
// and attributes of their own (platform, station, ...). Plain text and
// numbers, so that both front ends and builds without NetCDF share it.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The instrument's time stamp as a moment: epoch + stamp * secondsPerTick.
struct TimeUnits {
    double secondsPerTick = 0; // 0 while not given
    std::chrono::sys_seconds epoch{};

    bool given() const { return secondsPerTick > 0; }
};

struct NetcdfMetadata {
    TimeUnits time;
    std::string depthUnits;                                      // empty: the depth's unit is not known
    std::vector<std::pair<std::string, std::string>> attributes; // global, in the order given
};

// Reads "UNIT since DATE" as UDUNITS writes it: UNIT one of milliseconds,
// seconds, minutes, hours, days (singular and short forms too); DATE
// YYYY-MM-DD, then optionally hh:mm[:ss] after a blank or 'T', then
// optionally 'Z' (the moment is UTC either way). Nothing for other text.
std::optional<TimeUnits> parseTimeUnits(std::string_view text);

// The units attribute of the CF time coordinate: whole seconds since the
// epoch, a unit every CF reader (CDO included) takes.
std::string cfTimeUnits(const TimeUnits& units);

// A moment as ISO 8601 UTC text, to the second, or to the millisecond.
std::string isoUtc(std::chrono::sys_time<std::chrono::milliseconds> moment, bool withMilliseconds = false);

// The moment of a stamp, ISO 8601 UTC, to the millisecond when not whole.
std::string isoMoment(const TimeUnits& units, double stamp);

// Whether text is a NetCDF name that CF accepts: a letter, then letters,
// digits and underscores.
bool validAttributeName(std::string_view text);

// Splits "NAME=VALUE" with a valid name; nothing otherwise.
std::optional<std::pair<std::string, std::string>> parseAttribute(std::string_view text);
