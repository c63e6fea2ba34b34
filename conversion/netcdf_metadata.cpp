#include "conversion/netcdf_metadata.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

std::optional<double> secondsPerUnit(std::string_view unit)
{
    const struct {
        std::string_view names[4];
        double seconds;
    } units[] = {
        {{"milliseconds", "millisecond", "msec", "ms"}, 0.001},
        {{"seconds", "second", "sec", "s"}, 1.0},
        {{"minutes", "minute", "min", ""}, 60.0},
        {{"hours", "hour", "hr", "h"}, 3600.0},
        {{"days", "day", "d", ""}, 86400.0},
    };
    for (const auto& u : units)
        for (std::string_view name : u.names)
            if (!name.empty() && name == unit)
                return u.seconds;
    return std::nullopt;
}

// Reads `digits` digits at text[at], moving at past them.
std::optional<int> number(std::string_view text, std::size_t& at, std::size_t digits)
{
    if (at + digits > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t k = 0; k < digits; ++k) {
        const char c = text[at + k];
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    at += digits;
    return value;
}

bool expect(std::string_view text, std::size_t& at, char c)
{
    if (at >= text.size() || text[at] != c)
        return false;
    ++at;
    return true;
}

// "YYYY-MM-DD[( |T)hh:mm[:ss]][Z]" as a moment.
std::optional<std::chrono::sys_seconds> parseMoment(std::string_view text)
{
    using namespace std::chrono;
    std::size_t at = 0;
    const auto y = number(text, at, 4);
    const auto m = expect(text, at, '-') ? number(text, at, 2) : std::nullopt;
    const auto d = expect(text, at, '-') ? number(text, at, 2) : std::nullopt;
    if (!y || !m || !d)
        return std::nullopt;
    const year_month_day date{year{*y}, month{static_cast<unsigned>(*m)}, day{static_cast<unsigned>(*d)}};
    if (!date.ok())
        return std::nullopt;
    int hh = 0, mm = 0, ss = 0;
    if (at < text.size() && (text[at] == ' ' || text[at] == 'T')) {
        ++at;
        const auto h = number(text, at, 2);
        const auto mi = expect(text, at, ':') ? number(text, at, 2) : std::nullopt;
        if (!h || !mi || *h > 23 || *mi > 59)
            return std::nullopt;
        hh = *h;
        mm = *mi;
        if (at < text.size() && text[at] == ':') {
            ++at;
            const auto s = number(text, at, 2);
            if (!s || *s > 59)
                return std::nullopt;
            ss = *s;
        }
    }
    if (at < text.size() && text[at] == 'Z')
        ++at;
    if (at != text.size())
        return std::nullopt;
    return sys_days{date} + hours{hh} + minutes{mm} + seconds{ss};
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first, last - first + 1));
}

} // namespace

std::optional<TimeUnits> parseTimeUnits(std::string_view text)
{
    const std::string whole = trimmed(text);
    const auto since = whole.find(" since ");
    if (since == std::string::npos)
        return std::nullopt;
    const auto seconds = secondsPerUnit(trimmed(std::string_view(whole).substr(0, since)));
    const auto epoch = parseMoment(trimmed(std::string_view(whole).substr(since + 7)));
    if (!seconds || !epoch)
        return std::nullopt;
    return TimeUnits{*seconds, *epoch};
}

std::string cfTimeUnits(const TimeUnits& units)
{
    std::string epoch = isoUtc(units.epoch, false);
    epoch.pop_back(); // UTC is CF's own assumption: CDO reads the moment without its 'Z'
    epoch[10] = ' ';
    return "seconds since " + epoch;
}

std::string isoUtc(std::chrono::sys_time<std::chrono::milliseconds> moment, bool withMilliseconds)
{
    using namespace std::chrono;
    const auto day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    std::string iso = text;
    if (withMilliseconds) {
        std::snprintf(text, sizeof text, ".%03d", static_cast<int>(time.subseconds().count()));
        iso += text;
    }
    return iso + "Z";
}

std::string isoMoment(const TimeUnits& units, double stamp)
{
    using namespace std::chrono;
    const auto offset = milliseconds{std::llround(stamp * units.secondsPerTick * 1000.0)};
    return isoUtc(units.epoch + offset, offset.count() % 1000 != 0);
}

bool validAttributeName(std::string_view text)
{
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text.front())))
        return false;
    for (const char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

std::optional<std::pair<std::string, std::string>> parseAttribute(std::string_view text)
{
    const auto equals = text.find('=');
    if (equals == std::string_view::npos || !validAttributeName(text.substr(0, equals)))
        return std::nullopt;
    return std::pair{std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
}
