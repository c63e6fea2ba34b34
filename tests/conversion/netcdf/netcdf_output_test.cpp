// The NetCDF output read back through the NetCDF C library against the
// binary output of the same input and level: every value and every field of
// every spectrum, to the bit.

#include "netcdf/nc_reader.h"

#include "calibration/cal_table.h"
#include "conversion/netcdf_output.h"
#include "conversion/output_name.h"
#include "readback/output_reader.h"
#include "conversion/processing.h"
#include "core/identify.h"
#include "conversion/default_context.h"
#include "log_capture.h"
#include "processing_fixture.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <thread>

#include <bit>
#include <cstdint>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>

namespace fs = std::filesystem;

namespace {

struct Spectrum {
    SpectrumRecord record;
    std::vector<float> values;
};

std::vector<Spectrum> readBinaryOutput(const std::string& path)
{
    const std::string bytes = readFile(path);
    std::vector<Spectrum> spectra;
    std::size_t at = 0;
    while (at + SPECTRUM_RECORD_SIZE <= bytes.size()) {
        Spectrum s{decodeRecord(reinterpret_cast<const unsigned char*>(bytes.data() + at)), {}};
        at += SPECTRUM_RECORD_SIZE;
        s.values.resize(static_cast<std::size_t>(s.record.numPix));
        if (!s.values.empty()) // an empty vector's data may be null
            decodeFloatsLE(reinterpret_cast<const unsigned char*>(bytes.data() + at), s.values.size(), s.values.data());
        at += 4 * s.values.size();
        spectra.push_back(s);
    }
    EXPECT_EQ(at, bytes.size()) << path;
    return spectra;
}

// The spectra's variable at each level of channel A of EXAMPLE.CAL.
std::string levelVariable(int level)
{
    const char* names[] = {"counts", "pixel_adjusted_counts", "dark_adjusted_counts", "normalized_counts", "Ed"};
    return names[level];
}

// Each per-spectrum variable and the record field it must hold.
const std::vector<std::pair<const char*, double (*)(const SpectrumRecord&)>> fieldVariables = {
    {"instrument_time", [](const SpectrumRecord& r) { return static_cast<double>(r.time); }},
    {"integration_time", [](const SpectrumRecord& r) { return static_cast<double>(r.intTime); }},
    {"temperature", [](const SpectrumRecord& r) { return static_cast<double>(r.temp); }},
    {"volts", [](const SpectrumRecord& r) { return static_cast<double>(r.volts); }},
    {"depth", [](const SpectrumRecord& r) { return static_cast<double>(r.depth); }},
    {"process", [](const SpectrumRecord& r) { return static_cast<double>(r.process); }},
    {"N", [](const SpectrumRecord& r) { return static_cast<double>(r.N); }},
    {"scale", [](const SpectrumRecord& r) { return static_cast<double>(r.scale); }},
    {"Do", [](const SpectrumRecord& r) { return static_cast<double>(r.Do); }},
    {"Dt", [](const SpectrumRecord& r) { return static_cast<double>(r.Dt); }},
    {"first_pixel", [](const SpectrumRecord& r) { return static_cast<double>(r.firstPix); }},
    {"pixel_increment", [](const SpectrumRecord& r) { return static_cast<double>(r.pixInc); }},
    {"pixel_count", [](const SpectrumRecord& r) { return static_cast<double>(r.numPix); }},
};

bool sameBits(double a, double b)
{
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

std::string numberedName(const std::string& name, int set)
{
    return set == 1 ? name : name + "_" + std::to_string(set);
}

// EXAMPLE.CAL calibrates channel A from pixel 8 on: an adjusted spectrum has
// no value below it, where the binary output holds 0.
constexpr int FIRST_CALIBRATED_PIXEL = 8;

// Whether a NetCDF value holds the binary output's: the same bits, or no
// value where the calibration gives none.
bool sameValue(float netcdf, float binary, const SpectrumRecord& record, std::size_t k, bool calibrated)
{
    const bool noValue = calibrated && record.process >= 1 &&
                         pixelNumber(record.firstPix, record.pixInc, static_cast<int>(k)) < FIRST_CALIBRATED_PIXEL;
    if (noValue)
        return std::isnan(netcdf) && binary == 0.0f;
    return std::bit_cast<uint32_t>(netcdf) == std::bit_cast<uint32_t>(binary);
}

// Compares the NetCDF output with the binary one spectrum by spectrum; a
// spectrum's values must be in its own set's variable (`name`, `name_2`,
// ...) and fill values in every other set's. The per-spectrum variables
// carry the name as a prefix.
void expectSameSpectra(const std::string& netcdfPath, const std::vector<Spectrum>& expected, int sets,
                       const std::string& name, bool calibrated = true)
{
    const NcReader nc(netcdfPath);
    ASSERT_EQ(nc.dimensionLength("time"), expected.size());
    for (const auto& [fieldName, field] : fieldVariables) {
        const std::string variable = name + "_" + fieldName;
        const std::vector<double> column = nc.doubles(variable);
        ASSERT_EQ(column.size(), expected.size()) << variable;
        for (std::size_t j = 0; j < expected.size(); ++j)
            ASSERT_TRUE(sameBits(column[j], field(expected[j].record))) << variable << " of spectrum " << j;
    }
    const std::vector<double> pixelSets = nc.doubles(name + "_pixel_set");
    for (std::size_t j = 0; j < expected.size(); ++j) {
        const int own = static_cast<int>(pixelSets[j]);
        for (int set = 1; set <= sets; ++set) {
            const std::string values = numberedName(name, set);
            if (!nc.hasVariable(values))
                continue; // a set without values has no variable
            // Beside wavelengths the pixel numbers are the set's auxiliary
            // coordinate; without them the dimension's own coordinate holds them.
            if (calibrated)
                ASSERT_EQ(nc.text(values, "coordinates"), numberedName(name + "_pixel_number", set)) << values;
            else
                ASSERT_FALSE(nc.hasAttribute(values, "coordinates")) << values;
            const std::vector<float> row = nc.row(values, j);
            if (set == own) {
                ASSERT_EQ(row.size(), expected[j].values.size()) << "spectrum " << j;
                for (std::size_t k = 0; k < row.size(); ++k)
                    ASSERT_TRUE(sameValue(row[k], expected[j].values[k], expected[j].record, k, calibrated))
                        << "value " << k << " of spectrum " << j << ": " << row[k];
            } else {
                for (float v : row)
                    ASSERT_TRUE(std::isnan(v)) << values << " of spectrum " << j;
            }
        }
    }
}

// The reader behind the viewer gives back what the binary output holds:
// every field and value to the bit, each spectrum from its own pixel set,
// also after going back to a spectrum read before.
void expectReaderGivesBack(const std::string& netcdfPath, const std::vector<Spectrum>& expected, bool calibrated = true)
{
    OutputReader reader(netcdfPath);
    EXPECT_EQ(reader.layout(), OutputLayout::NetCdf);
    std::vector<std::int64_t> positions;
    OutputSpectrum read;
    const auto expectNext = [&](std::size_t j) {
        ASSERT_TRUE(reader.next(read)) << "spectrum " << j;
        const Spectrum& e = expected[j];
        for (const auto& [name, field] : fieldVariables)
            EXPECT_TRUE(sameBits(field(read.record), field(e.record))) << name << " of spectrum " << j;
        EXPECT_EQ(read.record.channel, e.record.channel) << "spectrum " << j;
        ASSERT_EQ(read.values.size(), e.values.size()) << "spectrum " << j;
        // Compared as bits, NaN included; an empty vector's data may be null.
        for (std::size_t k = 0; k < read.values.size(); ++k)
            ASSERT_TRUE(sameValue(read.values[k], e.values[k], e.record, k, calibrated))
                << "value " << k << " of spectrum " << j;
    };
    for (std::size_t j = 0; j < expected.size(); ++j) {
        positions.push_back(reader.position());
        expectNext(j);
    }
    EXPECT_FALSE(reader.next(read));
    const std::size_t back = expected.size() / 2;
    reader.seek(positions[back]);
    expectNext(back);
}

class NetcdfOutputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        freeCals();
        for (const char* name : {"EXAMPLE.CAL", "SET0101A.ASC", "SET0102A.BIN"})
            fs::copy_file(fs::path(ORVANTIS_EXAMPLES) / name, dir.path() / name);
        cal = dir.file("EXAMPLE.CAL");
        ASSERT_EQ(loadCalFile(cal.c_str(), 0, 0, LogCapture::sink), 0);
    }
    void TearDown() override { freeCals(); }

    int convert(const std::string& input, int level, OutputForm form, const std::string& command = "")
    {
        if (!command.empty()) { // the way the converter's driver passes its command line down
            Conversion conversion;
            if (identifyDataFile(input.c_str(), conversion.log, conversion.identity) == 0)
                ADD_FAILURE() << input << " not identified";
            conversion.options.level = static_cast<int8_t>(level);
            conversion.options.form = form;
            conversion.calibration = std::shared_ptr<const CalTable>(std::shared_ptr<const CalTable>(), &calTable);
            conversion.command = command;
            return resultNumber(convertFile(conversion, input, cal));
        }
        if (identifyDataFile(input.c_str()) == 0)
            ADD_FAILURE() << input << " not identified";
        return calibrateFile(input.c_str(), cal.c_str(), static_cast<int8_t>(level), 0, static_cast<int>(form), ',', 0,
                             LogCapture::sink);
    }

    TempDir dir;
    LogCapture log;
    std::string cal;
};

TEST_F(NetcdfOutputTest, EveryLevelHoldsTheValuesAndFieldsOfTheBinaryOutputToTheBit)
{
    for (const char* name : {"SET0101A.ASC", "SET0102A.BIN"}) {
        const std::string input = dir.file(name);
        for (int level = 0; level <= 4; ++level) {
            SCOPED_TRACE(std::string(name) + " level " + std::to_string(level));
            ASSERT_EQ(convert(input, level, OutputForm::Binary), 0);
            ASSERT_EQ(convert(input, level, OutputForm::NetCdf), 0);
            const std::vector<Spectrum> spectra = readBinaryOutput(outputFileName(input, level, true));
            ASSERT_EQ(spectra.size(), 12u);
            expectSameSpectra(outputFileName(input, level, OutputForm::NetCdf), spectra, 1, levelVariable(level));
            expectReaderGivesBack(outputFileName(input, level, OutputForm::NetCdf), spectra);
            const OutputReader reader(outputFileName(input, level, OutputForm::NetCdf));
            EXPECT_EQ(reader.header().serial, "TDL0417");
            EXPECT_EQ(reader.header().sourceFile, fs::path(input).filename().string());
            EXPECT_EQ(reader.header().calibrationFile, cal);
            EXPECT_EQ(reader.header().channelUnits, calTable[chanIndex].cal->units);
            ASSERT_EQ(reader.wavelengths().size(), 256u);
            EXPECT_EQ(reader.wavelengths()[7],
                      pixelWavelength(chanIndex, pixelNumber(spectra[0].record.firstPix, spectra[0].record.pixInc, 7)));
        }
    }
}

// The library is not safe for threads: conversions running at once take
// turns with it, and each file holds what a conversion on its own writes.
TEST_F(NetcdfOutputTest, ConversionsOnSeveralThreadsAtOnceWriteWhatEachWritesAlone)
{
    const std::string input = dir.file("SET0101A.ASC");
    ASSERT_EQ(convert(input, 4, OutputForm::Binary), 0);
    const std::vector<Spectrum> spectra = readBinaryOutput(outputFileName(input, 4, OutputForm::Binary));
    Conversion conversion;
    ASSERT_EQ(identifyDataFile(input.c_str(), conversion.log, conversion.identity), 1);
    conversion.options.form = OutputForm::NetCdf;
    conversion.calibration = std::shared_ptr<const CalTable>(std::shared_ptr<const CalTable>(), &calTable);
    std::vector<std::string> copies;
    for (int copy = 0; copy < 6; ++copy) {
        copies.push_back(dir.file("COPY" + std::to_string(copy) + ".ASC"));
        fs::copy_file(input, copies.back());
    }
    std::vector<FileResult> results(copies.size());
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 0; i < copies.size(); ++i)
            threads.emplace_back([&, i] { results[i] = convertFile(conversion, copies[i], cal); });
    }
    for (std::size_t i = 0; i < copies.size(); ++i) {
        SCOPED_TRACE(copies[i]);
        EXPECT_EQ(results[i].outcome, ConversionOutcome::Converted);
        expectSameSpectra(outputFileName(copies[i], 4, OutputForm::NetCdf), spectra, 1, "Ed");
    }
}

TEST_F(NetcdfOutputTest, EachPixelSetKeepsItsSpectraWithoutShiftingAny)
{
    freeCals(); // raw, and no wavelengths to give
    std::strcpy(dataSerial, "TDL0001");
    chanIndex = 0;
    const std::string input = dir.write(
        "SET09A.ASC", std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5, 6, 7}) + dataLine(1001, 0, 1, {8, 9, 10}) +
                          dataLine(1002, 2, 2, {11, 12}) + dataLine(1003, 0, 1, {13, 14, 15}) +
                          dataLine(1004, 2, 2, {16, 17}) + dataLine(1005, 7, 1, {}));
    const auto convertAs = [&](OutputForm form) {
        return calibrateFile(input.c_str(), "CAL.CAL", 0, 0, static_cast<int>(form), ',', 0, LogCapture::sink);
    };
    ASSERT_EQ(convertAs(OutputForm::Binary), 0);
    ASSERT_EQ(convertAs(OutputForm::NetCdf), 0);
    const std::string output = dir.file("SET09A.RAW.nc");
    expectSameSpectra(output, readBinaryOutput(dir.file("SET09A.BRW")), 3, "counts", false);
    expectReaderGivesBack(output, readBinaryOutput(dir.file("SET09A.BRW")), false);
    EXPECT_TRUE(OutputReader(output).wavelengths().empty());
    const NcReader nc(output);
    EXPECT_EQ(nc.doubles("counts_pixel_set"), (std::vector<double>{1, 1, 2, 1, 2, 3}));
    EXPECT_EQ(nc.doubles("pixel"), (std::vector<double>{0, 1, 2})); // no calibration: pixels are the coordinate
    EXPECT_EQ(nc.doubles("pixel_2"), (std::vector<double>{2, 4}));
    EXPECT_FALSE(nc.hasVariable("counts_3")); // the empty set has its fields only
    EXPECT_FALSE(nc.hasVariable("wavelength"));
    EXPECT_NE(log.joined().find("NOTE: Its values go to the NetCDF variables of its own pixel set.\n"),
              std::string::npos);
}

bool unitParses(const std::string& unit)
{
    const std::string command = "udunits2 -H '" + unit + "' -W '' </dev/null >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

TEST_F(NetcdfOutputTest, AttributesFollowCfAndAcddAndNameTheirSources)
{
    const std::string input = dir.file("SET0101A.ASC");
    using namespace std::chrono;
    const sys_seconds moment = sys_days{year{2021} / 3 / 4} + hours{5} + minutes{6};
    const auto modified = fs::file_time_type::clock::from_sys(moment);
    fs::last_write_time(cal, modified);
    ASSERT_EQ(convert(input, 4, OutputForm::NetCdf, "orvantis-cli --netcdf SET0101A.ASC"), 0);
    const NcReader nc(dir.file("SET0101A.nc"));
    const std::string conventions = nc.text("", "Conventions");
    EXPECT_NE(conventions.find("CF-1.8"), std::string::npos);
    EXPECT_NE(conventions.find("ACDD-1.3"), std::string::npos);
    for (const char* required : {"title", "summary", "keywords", "history", "date_created", "source_file",
                                 "instrument_serial", "software_name", "software_version"})
        EXPECT_FALSE(nc.text("", required).empty()) << required;
    EXPECT_EQ(nc.text("", "instrument_serial"), "TDL0417");
    EXPECT_EQ(nc.text("", "channel_letter"), "A");
    EXPECT_EQ(nc.text("", "source_file"), "SET0101A.ASC"); // where it lay means nothing to a reader
    EXPECT_EQ(nc.text("", "processing_level"), "4 (full cal)");
    EXPECT_EQ(nc.text("", "channel_name"), "Ed");
    EXPECT_EQ(nc.text("", "calibration_file"), cal);
    EXPECT_EQ(nc.text("", "calibration_file_modified"), "2021-03-04T05:06:00Z");
    EXPECT_EQ(nc.text("", "processing_level_text"), "full cal");
    const std::regex isoMoment("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
    EXPECT_TRUE(std::regex_match(nc.text("", "date_created"), isoMoment)) << nc.text("", "date_created");
    EXPECT_EQ(nc.text("", "history"), nc.text("", "date_created") + " orvantis-cli --netcdf SET0101A.ASC");
    EXPECT_TRUE(nc.isUnlimited("time"));
    EXPECT_FALSE(nc.isUnlimited("wavelength"));
    EXPECT_EQ(nc.text("Ed", "units"), "uW/cm^2/nm");
    EXPECT_TRUE(std::isnan(nc.floatAttribute("Ed", "_FillValue")));
    EXPECT_EQ(nc.text("wavelength", "units"), "nm");
    EXPECT_EQ(nc.text("wavelength", "long_name"), "wavelength");
    EXPECT_EQ(nc.text("wavelength", "comment"), "From the calibration's polynomial in the pixel number p: "
                                                "c0 + c1*p + c2*p^2 nm, c0 = 350, c1 = 3.3, c2 = -1e-04.");
    const std::vector<double> pixels = nc.doubles("Ed_pixel_number");
    const std::vector<double> wavelengths = nc.doubles("wavelength");
    ASSERT_EQ(wavelengths.size(), 256u);
    for (std::size_t k = 0; k < pixels.size(); ++k)
        EXPECT_EQ(wavelengths[k], pixelWavelength(0, static_cast<int16_t>(pixels[k]))) << k;
    if (std::system("command -v udunits2 >/dev/null") != 0)
        GTEST_SKIP() << "udunits2 (Debian's udunits-bin) is needed to check the units";
    for (const std::string& variable : nc.variables()) {
        if (nc.hasAttribute(variable, "units")) {
            EXPECT_TRUE(unitParses(nc.text(variable, "units"))) << variable << ": " << nc.text(variable, "units");
        }
    }
}

} // namespace
