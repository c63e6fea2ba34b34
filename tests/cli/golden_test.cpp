// Converts the example data set with the converter and compares every output
// byte for byte with the golden files in data/golden, so that a faster
// rewrite of the writers or the loop must keep its results exactly.

#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

struct GoldenCase {
    std::string example;
    std::string copy;
    std::string output;
    std::string options;
};

std::vector<GoldenCase> goldenCases()
{
    std::ifstream manifest(ORVANTIS_TEST_DATA "/golden/cases.txt");
    std::vector<GoldenCase> cases;
    for (std::string line; std::getline(manifest, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        GoldenCase c;
        fields >> c.example >> c.copy >> c.output;
        std::getline(fields, c.options);
        cases.push_back(c);
    }
    return cases;
}

TEST(Golden, ExampleConversionsMatchTheStoredOutputs)
{
    const std::vector<GoldenCase> cases = goldenCases();
    ASSERT_FALSE(cases.empty());
    TempDir dir;
    std::filesystem::copy_file(ORVANTIS_EXAMPLES "/EXAMPLE.CAL", dir.file("EXAMPLE.CAL"));
    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.copy + c.options);
        std::filesystem::copy_file(std::string(ORVANTIS_EXAMPLES "/") + c.example, dir.file(c.copy));
        const std::string command = "cd " + dir.path().string() + " && " ORVANTIS_CLI " --cal EXAMPLE.CAL" +
                                    c.options + " " + c.copy + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string produced = readFile(dir.file(c.output));
        const std::string golden = readFile(ORVANTIS_TEST_DATA "/golden/" + c.output);
        EXPECT_EQ(produced.size(), golden.size());
        EXPECT_TRUE(produced == golden);
    }
}

} // namespace
