// Converts the example data set and a set of odd inputs with the converter
// and compares every output, log and error text byte for byte with the golden
// files in data/golden/expected, so that a faster rewrite of the readers,
// writers or the loop must keep its results exactly.

#include "temp_dir.h"
#include "sample_files.h"

#include "converter_errors.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include <sys/wait.h>

namespace {

const std::string goldenDir = ORVANTIS_TEST_DATA "/golden";

struct GoldenCase {
    std::string input;
    std::string copy;
    std::string output;
    std::string options;
};

// Names a case by what it converts, for the test list and failure messages.
void PrintTo(const GoldenCase& c, std::ostream* out)
{
    *out << c.input << " as " << c.copy << " -> " << c.output;
    const std::size_t start = c.options.find_first_not_of(' ');
    if (start != std::string::npos)
        *out << " (" << c.options.substr(start) << ")";
}

std::vector<GoldenCase> goldenCases()
{
    std::ifstream manifest(goldenDir + "/cases.txt");
    std::vector<GoldenCase> cases;
    for (std::string line; std::getline(manifest, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        GoldenCase c;
        fields >> c.input >> c.copy >> c.output;
        std::getline(fields, c.options);
        cases.push_back(c);
    }
    return cases;
}

std::filesystem::path inputPath(const std::string& name)
{
    const std::filesystem::path odd = goldenDir + "/inputs/" + name;
    return std::filesystem::exists(odd) ? odd : std::filesystem::path(ORVANTIS_EXAMPLES) / name;
}

// The load time is the one line of a log that differs from run to run.
std::string withoutLoadTime(const std::string& log)
{
    std::istringstream lines(log);
    std::string kept;
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("Calibration load took", 0) != 0)
            kept += line + "\n";
    return kept;
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(Golden, OutputLogAndErrorsMatchTheStoredOnes)
{
    const GoldenCase& c = GetParam();
    TempDir dir;
    std::filesystem::copy_file(ORVANTIS_EXAMPLES "/EXAMPLE.CAL", dir.file("EXAMPLE.CAL"));
    std::filesystem::copy_file(inputPath(c.input), dir.file(c.copy));
    const std::string command = "cd " + dir.path().string() + " && XDG_CONFIG_HOME=" + dir.path().string() +
                                "/config " ORVANTIS_CLI " --cal EXAMPLE.CAL" + c.options + " " + c.copy +
                                " >run.log 2>run.err";
    const int status = std::system(command.c_str());
    const std::string expected = goldenDir + "/expected/" + c.output;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(std::to_string(WEXITSTATUS(status)) + "\n", readFile(expected + ".status"));
    if (std::filesystem::exists(expected))
        EXPECT_TRUE(readFile(dir.file(c.output)) == readFile(expected)) << "output differs: " << c.output;
    else
        EXPECT_FALSE(std::filesystem::exists(dir.file(c.output))) << "no output expected: " << c.output;
    EXPECT_EQ(withoutLoadTime(readFile(dir.file("run.log"))), readFile(expected + ".log"));
    EXPECT_EQ(withoutTimeTaken(readFile(dir.file("run.err"))), readFile(expected + ".err"));
}

INSTANTIATE_TEST_SUITE_P(Conversions, Golden, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& test) {
                             std::string name = test.param.output;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

} // namespace
