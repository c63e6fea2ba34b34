// The reader against the writer: every output form of the example data at
// every processing level reads back the values the binary form holds
// exactly, to the precision the text forms print; records written directly
// read back bit for bit.

#include "calibration/cal_table.h"
#include "conversion/output_formats.h"
#include "readback/output_reader.h"
#include "conversion/default_context.h"
#include "output_reader_support.h"
#include "sample_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

// Within half a unit of the last digit printed: `digits` significant
// digits, or `decimals` places when digits is 0.
void expectPrinted(double read, double exact, int digits, int decimals, const char* what)
{
    if (std::isnan(exact) || std::isinf(exact)) {
        EXPECT_TRUE(std::isnan(exact) ? std::isnan(read) : read == exact) << what;
        return;
    }
    const double unit =
        digits > 0 ? std::abs(exact) * 5e-1 * std::pow(10.0, 1 - digits) : 0.5 * std::pow(10.0, -decimals);
    EXPECT_LE(std::abs(read - exact), unit * 1.001 + std::abs(exact) * 1e-7) << what << ": " << read << " vs " << exact;
}

void expectSameSpectrum(const OutputSpectrum& text, const OutputSpectrum& binary, bool transposed)
{
    const SpectrumRecord& t = text.record;
    const SpectrumRecord& b = binary.record;
    EXPECT_EQ(+t.time, +b.time);
    expectPrinted(t.temp, b.temp, 0, transposed ? 2 : 1, "temp");
    expectPrinted(t.volts, b.volts, 0, 2, "volts");
    expectPrinted(t.depth, b.depth, 0, 2, "depth");
    EXPECT_EQ(+t.process, +b.process);
    EXPECT_EQ(+t.N, +b.N);
    expectPrinted(t.scale, b.scale, 4, 0, "scale");
    expectPrinted(t.Do, b.Do, 4, 0, "Do");
    expectPrinted(t.Dt, b.Dt, 4, 0, "Dt");
    EXPECT_EQ(+t.intTime, +b.intTime);
    EXPECT_EQ(+t.firstPix, +b.firstPix);
    EXPECT_EQ(+t.pixInc, +b.pixInc);
    EXPECT_EQ(+t.numPix, +b.numPix);
    ASSERT_EQ(text.values.size(), binary.values.size());
    for (std::size_t k = 0; k < text.values.size(); ++k)
        expectPrinted(text.values[k], binary.values[k], transposed ? 4 : 5, 0, "value");
}

void expectWavelengths(const OutputReader& reader, const SpectrumRecord& first)
{
    const std::vector<double>& wavelengths = reader.wavelengths();
    ASSERT_EQ(wavelengths.size(), static_cast<std::size_t>(first.numPix));
    for (int k = 0; k < first.numPix; ++k) {
        const double w = wavelengths[static_cast<std::size_t>(k)];
        if (slotLoaded(first.channel))
            expectPrinted(w, pixelWavelength(first.channel, pixelNumber(first.firstPix, first.pixInc, k)), 0, 1,
                          "wavelength");
        else
            EXPECT_TRUE(std::isnan(w));
    }
}

void expectHeader(const OutputHeader& header, const std::string& input, const std::string& cal, int channel)
{
    EXPECT_EQ(header.serial, dataSerial);
    EXPECT_EQ(header.programVersion, "1.31");
    EXPECT_EQ(header.sourceFile, input);
    EXPECT_EQ(header.calibrationFile, cal);
    const bool named = channel >= 0 && channel < MAX_CHANNELS && calTable[channel].cal;
    EXPECT_EQ(header.channelName, named ? calTable[channel].cal->name : "?");
    EXPECT_EQ(header.channelUnits, named ? calTable[channel].cal->units : "?");
}

struct TextForm {
    bool transposed;
    char delimiter;
};

class OutputReaderRoundTrip : public ::testing::TestWithParam<const char*> {
protected:
    void TearDown() override { freeCals(); }
};

TEST_P(OutputReaderRoundTrip, EveryTextFormAtEveryLevelReadsBackTheBinaryValues)
{
    const std::string example = GetParam();
    for (int level = 0; level <= 4; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        TempDir dir;
        OutputReader binaryReader(convertExample(dir, example, level, false, true, ','));
        EXPECT_EQ(binaryReader.layout(), OutputLayout::Binary);
        EXPECT_TRUE(binaryReader.wavelengths().empty());
        const std::vector<OutputSpectrum> binary = readAll(binaryReader);
        ASSERT_FALSE(binary.empty());
        for (const TextForm form :
             {TextForm{false, ','}, TextForm{false, '\t'}, TextForm{false, ' '}, TextForm{false, 'x'},
              TextForm{true, ','}, TextForm{true, ';'}, TextForm{true, '\t'}}) {
            SCOPED_TRACE(std::string(form.transposed ? "transposed" : "normal") + " delimiter " +
                         std::to_string(form.delimiter));
            OutputReader reader(convertExample(dir, example, level, form.transposed, false, form.delimiter));
            EXPECT_EQ(reader.layout(), form.transposed ? OutputLayout::Transposed : OutputLayout::Normal);
            EXPECT_EQ(reader.delimiter(), form.delimiter);
            expectHeader(reader.header(), dir.file(example), dir.file("EXAMPLE.CAL"), binary.front().record.channel);
            expectWavelengths(reader, binary.front().record);
            const std::vector<OutputSpectrum> text = readAll(reader);
            ASSERT_EQ(text.size(), binary.size());
            for (std::size_t j = 0; j < text.size(); ++j)
                expectSameSpectrum(text[j], binary[j], form.transposed);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, OutputReaderRoundTrip,
                         ::testing::Values("SET0101A.ASC", "SET0101B.ASC", "SET0102A.BIN"));

// Spectra of several pixel sets, odd values included, written by the writer itself.
std::vector<OutputSpectrum> mixedSpectra()
{
    std::vector<OutputSpectrum> spectra;
    const int16_t sets[][3] = {{0, 1, 5}, {0, 1, 5}, {10, 2, 3}, {-4, -1, 0}, {100, 3, 7}};
    int32_t time = 36000000;
    for (const auto& set : sets) {
        OutputSpectrum s;
        s.record.channel = 2;
        s.record.time = time += 1111;
        s.record.intTime = 128;
        s.record.temp = 14.25f;
        s.record.depth = -0.375f;
        s.record.volts = 12.5f;
        s.record.process = 3;
        s.record.N = 7;
        s.record.scale = 0.75f;
        s.record.Do = 512.3f;
        s.record.Dt = -1.5e-6f;
        s.record.firstPix = set[0];
        s.record.pixInc = set[1];
        s.record.numPix = set[2];
        for (int k = 0; k < set[2]; ++k)
            s.values.push_back(static_cast<float>(std::pow(-3.7, k)) * 1.234567e-3f + static_cast<float>(k));
        spectra.push_back(s);
    }
    spectra[1].values[2] = INFINITY;
    spectra[1].values[3] = -INFINITY;
    spectra[1].values[4] = NAN;
    return spectra;
}

// The writer's pixel buffer: never null, as in a conversion.
std::vector<float> pixelBuffer(const OutputSpectrum& s)
{
    std::vector<float> buffer(MAX_PIXELS);
    std::copy(s.values.begin(), s.values.end(), buffer.begin());
    return buffer;
}

TEST(OutputReaderWriter, BinaryRecordsReadBackBitForBitAcrossPixelSetChanges)
{
    TempDir dir;
    const std::string path = dir.file("MIXED.BDT");
    const std::vector<OutputSpectrum> written = mixedSpectra();
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        for (const OutputSpectrum& s : written)
            EXPECT_EQ(writeOutput(s.record, pixelBuffer(s).data(), out, 1), 0);
        std::fclose(out);
    }
    OutputReader reader(path);
    std::vector<std::int64_t> positions;
    std::vector<OutputSpectrum> read;
    for (OutputSpectrum s; positions.push_back(reader.position()), reader.next(s);)
        read.push_back(s);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t j = 0; j < read.size(); ++j) {
        EXPECT_EQ(std::memcmp(&read[j].record, &written[j].record, SPECTRUM_RECORD_SIZE), 0) << j;
        ASSERT_EQ(read[j].values.size(), written[j].values.size());
        EXPECT_TRUE(
            std::equal(read[j].values.begin(), read[j].values.end(), written[j].values.begin(),
                       [](float a, float b) { return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b); }))
            << j;
    }
    // Coming back to a position gives that spectrum again.
    OutputSpectrum again;
    reader.seek(positions[2]);
    ASSERT_TRUE(reader.next(again));
    EXPECT_EQ(+again.record.time, +written[2].record.time);
    EXPECT_EQ(again.values, written[2].values);
}

TEST(OutputReaderWriter, NormalRowsOfOtherPixelSetsReadBackAsWritten)
{
    TempDir dir;
    const std::string path = dir.file("MIXED.DAT");
    const std::vector<OutputSpectrum> written = mixedSpectra();
    Conversion conversion; // no calibration: the wavelengths are unknown
    conversion.options.delimiter = '|';
    {
        std::FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fputs("Tidelume processed data file. Serial: TDL 7 Orvantis v1.31\r\nSource file: a, b.ASC\r\n"
                   "Calibration file: c.CAL\r\nChannel: Lu, uW/cm^2/nm\r\n",
                   out);
        EXPECT_EQ(writeHeader(conversion, -1, written.front().record, out), 0);
        for (const OutputSpectrum& s : written)
            EXPECT_EQ(writeOutput(conversion, s.record, pixelBuffer(s).data(), out, false), 0);
        std::fclose(out);
    }
    OutputReader reader(path);
    EXPECT_EQ(reader.header().serial, "TDL 7");
    EXPECT_EQ(reader.header().sourceFile, "a, b.ASC");
    EXPECT_EQ(reader.header().channelName, "Lu");
    EXPECT_EQ(reader.header().channelUnits, "uW/cm^2/nm");
    EXPECT_EQ(reader.wavelengths().size(), 5u);
    std::vector<std::int64_t> positions;
    std::vector<OutputSpectrum> read;
    for (OutputSpectrum s; positions.push_back(reader.position()), reader.next(s);)
        read.push_back(s);
    ASSERT_EQ(read.size(), written.size());
    for (std::size_t j = 0; j < read.size(); ++j)
        expectSameSpectrum(read[j], written[j], false);
    OutputSpectrum again;
    reader.seek(positions[4]);
    ASSERT_TRUE(reader.next(again));
    expectSameSpectrum(again, written[4], false);
    EXPECT_FALSE(reader.next(again));
}

} // namespace
