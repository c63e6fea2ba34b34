#include "core/temporary_file.h"

#include "core/file_handle.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string readBack(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    for (int c = std::getc(file); c != EOF; c = std::getc(file))
        text.push_back(static_cast<char>(c));
    return text;
}

TEST(TemporaryFile, GivesBackWhatWasWrittenBytesUnchanged)
{
    const FileHandle file(openTemporaryFile());
    ASSERT_TRUE(file);
    const std::string bytes("a\r\nb\nc\x1a\0d", 9);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file.get()), bytes.size());
    EXPECT_EQ(readBack(file.get()), bytes);
}

TEST(TemporaryFile, TwoAreTwoFiles)
{
    const FileHandle first(openTemporaryFile());
    const FileHandle second(openTemporaryFile());
    ASSERT_TRUE(first && second);
    std::fputs("first", first.get());
    std::fputs("second", second.get());
    EXPECT_EQ(readBack(first.get()), "first");
    EXPECT_EQ(readBack(second.get()), "second");
}

} // namespace
