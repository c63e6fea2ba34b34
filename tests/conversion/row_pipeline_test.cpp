#include "conversion/row_pipeline.h"

#include "core/file_handle.h"
#include "core/log.h"
#include "conversion/output_formats.h"
#include "conversion/default_context.h"
#include "seeded_random.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <random>
#include <thread>
#include <vector>

namespace {

struct Spectrum {
    SpectrumRecord record{};
    std::vector<float> values;
};

// Values of every magnitude and sign, the extremes of float included, so
// that the longest cells and rows occur.
float variedValue(std::mt19937& random)
{
    static const float extremes[] = {std::numeric_limits<float>::max(),
                                     -std::numeric_limits<float>::max(),
                                     std::numeric_limits<float>::denorm_min(),
                                     -1.17549435e-38f,
                                     0.0f,
                                     -0.0f,
                                     99999.5f,
                                     0.000123455f};
    std::uniform_int_distribution<int> pick(0, 9);
    const int choice = pick(random);
    if (choice < static_cast<int>(std::size(extremes)))
        return extremes[choice];
    std::uniform_real_distribution<float> mantissa(-10.0f, 10.0f);
    std::uniform_int_distribution<int> exponent(-40, 38);
    return mantissa(random) * std::pow(10.0f, static_cast<float>(exponent(random)));
}

// Spectra whose fields and value counts change from one to the next: from
// none (and a negative count) to MAX_PIXELS, every tenth one full length.
std::vector<Spectrum> variedSpectra(int count, std::mt19937& random)
{
    std::uniform_int_distribution<int> length(0, 300);
    std::vector<Spectrum> spectra(static_cast<std::size_t>(count));
    for (int j = 0; j < count; ++j) {
        Spectrum& s = spectra[static_cast<std::size_t>(j)];
        SpectrumRecord& r = s.record;
        r.time = 1000 + j;
        r.temp = variedValue(random);
        r.volts = 11.25f + static_cast<float>(j % 13);
        r.depth = -3.456f * static_cast<float>(j % 7);
        r.process = static_cast<int16_t>(j % 5);
        r.N = static_cast<int16_t>(j % 3);
        r.scale = variedValue(random);
        r.Do = variedValue(random);
        r.Dt = variedValue(random);
        r.intTime = 100 * j;
        r.firstPix = static_cast<int16_t>(j % 11);
        r.pixInc = 1;
        const int values = j % 10 == 0 ? MAX_PIXELS : length(random);
        r.numPix = static_cast<int16_t>(j % 97 == 5 ? -values : values);
        s.values.resize(MAX_PIXELS);
        for (int k = 0; k < values; ++k)
            s.values[static_cast<std::size_t>(k)] = variedValue(random);
    }
    return spectra;
}

std::string contents(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string bytes;
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
        bytes.append(block, n);
    return bytes;
}

class RowPipelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        delimiter = ';';
        verboseLog = 0;
    }
    void TearDown() override { delimiter = ','; }
};

TEST_F(RowPipelineTest, RowsEqualThoseWrittenDirectlyWhoeverFormatsThem)
{
    SeededRandom<std::mt19937> random(20240611);
    const std::vector<Spectrum> spectra = variedSpectra(3000, random);
    FileHandle direct(std::tmpfile());
    for (const Spectrum& s : spectra)
        ASSERT_EQ(writeOutput(s.record, s.values.data(), direct.get(), 0), 0);

    FileHandle piped(std::tmpfile());
    {
        const auto rows = RowPipeline::start(piped.get(), ';');
        ASSERT_TRUE(rows);
        for (std::size_t j = 0; j < spectra.size(); ++j) {
            // Pauses in the first half let the worker catch up and format
            // the rows; the burst of the second half fills the ring, so
            // that the caller formats rows too.
            if (j < spectra.size() / 2 && j % 40 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            ASSERT_EQ(writeOutput(spectra[j].record, spectra[j].values.data(), *rows), 0);
        }
    } // the rows still in the ring are written before the pipeline goes
    EXPECT_TRUE(contents(piped.get()) == contents(direct.get()));
}

TEST_F(RowPipelineTest, WriteFailureIsReportedByALaterHandOffAndEveryOneAfter)
{
    FileHandle full(std::fopen("/dev/full", "wb"));
    if (!full)
        GTEST_SKIP() << "no /dev/full";
    SeededRandom<std::mt19937> random(20240611);
    const std::vector<Spectrum> spectra = variedSpectra(50, random);
    const auto rows = RowPipeline::start(full.get(), ';');
    ASSERT_TRUE(rows);
    // The rows are written behind the hand-offs, so the first ones go
    // through; once the full device refused a write, the hand-offs fail.
    ASSERT_EQ(rows->submit(spectra[0].record, spectra[0].values.data()), 0);
    int handedOver = 1;
    const int limit = 100000;
    while (handedOver < limit) {
        const Spectrum& s = spectra[static_cast<std::size_t>(handedOver % 50)];
        if (rows->submit(s.record, s.values.data()) != 0)
            break;
        ++handedOver;
    }
    ASSERT_LT(handedOver, limit);
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(rows->submit(spectra[0].record, spectra[0].values.data()), 1);
}

} // namespace
