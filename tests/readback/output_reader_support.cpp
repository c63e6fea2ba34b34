#include "output_reader_support.h"

#include "calibration/cal_table.h"
#include "conversion/default_context.h"
#include "conversion/output_name.h"
#include "conversion/processing.h"
#include "log_capture.h"

#include <gtest/gtest.h>

#include <filesystem>

std::string convertExample(const TempDir& dir, const std::string& example, int level, bool transpose, bool binary,
                           char columnDelimiter)
{
    const std::filesystem::path examples = ORVANTIS_EXAMPLES;
    const std::string cal = dir.file("EXAMPLE.CAL");
    const std::string input = dir.file(example);
    std::filesystem::copy_file(examples / "EXAMPLE.CAL", cal, std::filesystem::copy_options::skip_existing);
    std::filesystem::copy_file(examples / example, input, std::filesystem::copy_options::skip_existing);
    LogCapture log;
    freeCals();
    EXPECT_EQ(loadCalFile(cal.c_str(), 0, 0, LogCapture::sink), 0) << log.joined();
    const int result = calibrateFile(input.c_str(), cal.c_str(), static_cast<int8_t>(level), transpose ? 1 : 0,
                                     binary ? 1 : 0, columnDelimiter, 0, LogCapture::sink);
    EXPECT_EQ(result, 0) << log.joined();
    return outputFileName(input, level, binary);
}

std::vector<OutputSpectrum> readAll(OutputReader& reader)
{
    std::vector<OutputSpectrum> spectra;
    for (OutputSpectrum spectrum; reader.next(spectrum);)
        spectra.push_back(spectrum);
    return spectra;
}

std::vector<OutputSpectrum> readAll(const std::string& path)
{
    OutputReader reader(path);
    return readAll(reader);
}
