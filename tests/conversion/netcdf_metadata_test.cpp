// What the user tells a NetCDF output: time units are read as UDUNITS
// writes them, and every moment comes back as the stamp and epoch say.

#include "conversion/netcdf_metadata.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeUnits, ReadsUdunitsTimeUnitsAndRefusesAnythingElse)
{
    const struct {
        const char* text;
        double secondsPerTick;
        const char* cfUnits;
    } accepted[] = {
        {"milliseconds since 2025-06-01T00:00:00Z", 0.001, "seconds since 2025-06-01 00:00:00"},
        {"ms since 2025-06-01", 0.001, "seconds since 2025-06-01 00:00:00"},
        {"  seconds since 2024-02-29 23:59:58 ", 1, "seconds since 2024-02-29 23:59:58"},
        {"minutes since 1970-01-01 12:30", 60, "seconds since 1970-01-01 12:30:00"},
        {"hours since 2000-12-31T01:02:03", 3600, "seconds since 2000-12-31 01:02:03"},
        {"days since 1999-01-01", 86400, "seconds since 1999-01-01 00:00:00"},
    };
    for (const auto& a : accepted) {
        SCOPED_TRACE(a.text);
        const auto units = parseTimeUnits(a.text);
        ASSERT_TRUE(units);
        EXPECT_EQ(units->secondsPerTick, a.secondsPerTick);
        EXPECT_EQ(cfTimeUnits(*units), a.cfUnits);
    }
    for (const char* refused :
         {"", "milliseconds", "since 2025-06-01", "fortnights since 2025-06-01", "ms since 2025-13-01",
          "ms since 2025-02-30", "ms since 2025-06-01T24:00", "ms since 2025-06-01T10:00+02:00",
          "ms since 2025-06-01 10:00:00 UTC", "ms since 25-06-01"})
        EXPECT_FALSE(parseTimeUnits(refused)) << refused;
}

TEST(TimeUnits, MomentsAreTheEpochPlusTheStampToTheMillisecond)
{
    const auto units = parseTimeUnits("milliseconds since 2025-06-01T00:00:00Z");
    ASSERT_TRUE(units);
    EXPECT_EQ(isoMoment(*units, 0), "2025-06-01T00:00:00Z");
    EXPECT_EQ(isoMoment(*units, 36000428), "2025-06-01T10:00:00.428Z");
    EXPECT_EQ(isoMoment(*units, 86400000.0 * 30 + 1), "2025-07-01T00:00:00.001Z");
    EXPECT_EQ(isoMoment(*units, -1000), "2025-05-31T23:59:59Z");
    const auto days = parseTimeUnits("days since 2024-02-28");
    ASSERT_TRUE(days);
    EXPECT_EQ(isoMoment(*days, 1.5), "2024-02-29T12:00:00Z"); // a leap day
}

TEST(NetcdfAttributes, NamesAreCfNamesAndValuesAnyText)
{
    const auto platform = parseAttribute("platform=RV Test = 2");
    ASSERT_TRUE(platform);
    EXPECT_EQ(platform->first, "platform");
    EXPECT_EQ(platform->second, "RV Test = 2");
    EXPECT_TRUE(parseAttribute("station_7="));
    for (const char* refused : {"platform", "=x", "1st=x", "_x=1", "a-b=1", "a b=1"})
        EXPECT_FALSE(parseAttribute(refused)) << refused;
}

} // namespace
