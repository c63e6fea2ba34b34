// A NetCDF output whose writes fail at any point fails its file and leaves
// the previous output, and nothing else, behind.

#include "calibration/cal_table.h"
#include "conversion/processing.h"
#include "conversion/default_context.h"
#include "file_size_limit.h"
#include "log_capture.h"
#include "processing_fixture.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string manySpectra(int spectra)
{
    std::string text = HEADER_LINES;
    for (int j = 0; j < spectra; ++j) {
        std::vector<int> values;
        for (int k = 0; k < 64; ++k)
            values.push_back((j * 31 + k * 7) % 4000);
        text += dataLine(1000 + j, 0, 1, values);
    }
    return text;
}

TEST(NetcdfFailure, EveryFailingWriteFailsTheFileAndKeepsThePreviousOutput)
{
    freeCals();
    std::strcpy(dataSerial, "TDL0001");
    chanIndex = 0;
    const TempDir dir;
    const TempDir reports;
    LogCapture log;
    const std::string input = dir.write("A.ASC", manySpectra(3000));
    const std::string output = dir.file("A.RAW.nc");
    const auto conversion = [&] {
        log.clear();
        return calibrateFile(input.c_str(), "CAL.CAL", 0, 0, static_cast<int>(OutputForm::NetCdf), ',', 0,
                             LogCapture::sink);
    };
    ASSERT_EQ(conversion(), 0);
    const auto size = static_cast<rlim_t>(fs::file_size(output));
    const std::string previous = "the previous output\n";
    writeFile(output, previous);
    // Limits from nothing to one byte short: the file's creation, its
    // definitions, the chunks of values and the close that writes the rest.
    for (rlim_t limit = 0; limit < size; limit += limit < 4096 ? 512 : size / 41 + 1) {
        SCOPED_TRACE(limit);
        const auto [result, text] = convertWithFileSizeLimit(conversion, limit, log, reports.file("report"));
        EXPECT_NE(result, 0);
        EXPECT_NE(text.find("WARNING: NetCDF output: "), std::string::npos) << text;
        EXPECT_NE(text.find("Error writing output file " + output + ": "), std::string::npos) << text;
        EXPECT_EQ(text.find(" spectra.\n"), std::string::npos) << text;
        ASSERT_EQ(readFile(output), previous);
        ASSERT_EQ(folderContents(dir.path()), (std::vector<std::string>{"A.ASC", "A.RAW.nc"}));
    }
    EXPECT_EQ(convertWithFileSizeLimit(conversion, size, log, reports.file("report")).first, 0);
    freeCals();
}

} // namespace
