#include "conversion/output_name.h"

#include <gtest/gtest.h>

TEST(OutputName, ExtensionFollowsLevelAndForm)
{
    EXPECT_EQ(outputFileName("/data/A1.ASC", 4, false), "/data/A1.DAT");
    EXPECT_EQ(outputFileName("C:\\data\\A1.ASC", 1, false), "C:\\data\\A1.DAT");
    EXPECT_EQ(outputFileName("C:\\data\\A1.ASC", 0, false), "C:\\data\\A1.RAW");
    EXPECT_EQ(outputFileName("C:\\data\\A1.ASC", 0, true), "C:\\data\\A1.BRW");
    EXPECT_EQ(outputFileName("C:\\data\\A1.BIN", 3, true), "C:\\data\\A1.BDT");
}

TEST(OutputName, CutIsAtTheLastDotOfTheFileNameOnly)
{
    EXPECT_EQ(outputFileName("/data/A1", 4, false), "/data/A1.DAT");
    EXPECT_EQ(outputFileName("/data/my.dir/A1", 4, false), "/data/my.dir/A1.DAT");
    EXPECT_EQ(outputFileName("run.2024/SET0101A", 4, false), "run.2024/SET0101A.DAT");
    EXPECT_EQ(outputFileName("run.2024/SET0101A.ASC", 4, false), "run.2024/SET0101A.DAT");
    EXPECT_EQ(outputFileName("./A1", 4, false), "./A1.DAT");
    EXPECT_EQ(outputFileName("../A1", 4, false), "../A1.DAT");
    EXPECT_EQ(outputFileName("A1.tar.ASC", 4, false), "A1.tar.DAT");
    EXPECT_EQ(outputFileName("/data/.hidden", 4, false), "/data/.DAT");
    EXPECT_EQ(outputFileName("", 4, false), ".DAT");
}

TEST(OutputName, LongPathsAreKeptWhole)
{
    const std::string folder = "/data/" + std::string(400, 'x') + "/";
    EXPECT_EQ(outputFileName(folder + "A1.ASC", 4, false), folder + "A1.DAT");
}
