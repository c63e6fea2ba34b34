// The status line: on a terminal it shows the file and its spectra so far;
// with stderr redirected there is none of it, only errors and the summary.

#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

std::string dataText(int spectra)
{
    std::string text = "Tidelume Radiometer: 12345\r\nChannel 1\r\n";
    for (int j = 0; j < spectra; ++j)
        text += std::to_string(j) +
                ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,11,100,100,100,100,120,120,120,120,1190,1200,1210\r\n";
    return text;
}

TEST(TerminalProgress, ShownOnATerminalAndNowhereElse)
{
    TempDir dir;
    dir.write("SMALL.CAL", smallCalibrationText());
    dir.write("CAST.ASC", dataText(200));
    const std::string converter = std::string(ORVANTIS_CLI) + " --cal SMALL.CAL CAST.ASC";
    const std::string folder = "cd " + dir.path().string() + " && XDG_CONFIG_HOME=" + dir.path().string() + "/config ";

    // script gives the converter a pseudo-terminal and keeps what it shows.
    const std::string onTerminal = folder + "script -qec '" + converter + " >/dev/null' terminal.txt >/dev/null";
    ASSERT_EQ(std::system(onTerminal.c_str()), 0);
    const std::string shown = readFile(dir.file("terminal.txt"));
    EXPECT_NE(shown.find("\r[1/1] CAST.ASC  64 spectra"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r[1/1] CAST.ASC  192 spectra"), std::string::npos) << shown;
    EXPECT_NE(shown.find("orvantis-cli: 1 file: 1 converted, 0 failed, 0 skipped; 200 spectra written in"),
              std::string::npos)
        << shown;

    const std::string redirected = folder + converter + " >/dev/null 2>errors.txt";
    ASSERT_EQ(std::system(redirected.c_str()), 0);
    const std::string errors = readFile(dir.file("errors.txt"));
    EXPECT_EQ(errors.find('\r'), std::string::npos) << errors;
    EXPECT_EQ(errors.rfind("orvantis-cli: 1 file: 1 converted, 0 failed, 0 skipped; 200 spectra written in", 0), 0u)
        << errors;

    const std::string quiet = folder + "script -qec '" + std::string(ORVANTIS_CLI) +
                              " --quiet --cal SMALL.CAL CAST.ASC' quiet.txt >/dev/null";
    ASSERT_EQ(std::system(quiet.c_str()), 0);
    const std::string quietShown = readFile(dir.file("quiet.txt"));
    EXPECT_EQ(quietShown.find("spectra\r"), std::string::npos) << quietShown;
    EXPECT_EQ(quietShown.find("Calibrate "), std::string::npos) << quietShown;
}

} // namespace
