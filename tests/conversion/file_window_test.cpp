#include "conversion/file_window.h"

#include "core/file_handle.h"
#include "core/temporary_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Writes bytes at a position, leaving a hole before them.
void writeAt(std::FILE* file, FileOffset position, const char* bytes)
{
    ASSERT_EQ(fseeko(file, static_cast<off_t>(position), SEEK_SET), 0);
    ASSERT_EQ(std::fputs(bytes, file) >= 0, true);
}

TEST(FileWindow, ReadsAcrossBlocksAndRefusesWhatLiesBeyondTheEnd)
{
    const FileHandle file(openTemporaryFile());
    ASSERT_TRUE(file);
    const FileOffset last = FileWindow::BLOCK + 10;
    writeAt(file.get(), 3, "head");
    writeAt(file.get(), last, "tail");
    FileWindow window(file.get());
    EXPECT_EQ(window.size(), last + 4);
    ASSERT_NE(window.at(3, 4), nullptr);
    EXPECT_EQ(std::memcmp(window.at(3, 4), "head", 4), 0);
    ASSERT_NE(window.at(last, 4), nullptr);
    EXPECT_EQ(std::memcmp(window.at(last, 4), "tail", 4), 0);
    EXPECT_EQ(window.at(last, 5), nullptr);
    EXPECT_EQ(window.at(-1, 1), nullptr);
    EXPECT_EQ(window.available(last + 2, 10), 2u);
}

// A 32-bit position would wrap around here.
TEST(FileWindow, PositionsPastFourGibibytesAreReached)
{
    const FileHandle file(openTemporaryFile());
    ASSERT_TRUE(file);
    const FileOffset far = (FileOffset{1} << 32) + 12345;
    writeAt(file.get(), far, "ORVANTIS");
    FileWindow window(file.get());
    EXPECT_EQ(window.size(), far + 8);
    ASSERT_NE(window.at(far, 8), nullptr);
    EXPECT_EQ(std::memcmp(window.at(far, 8), "ORVANTIS", 8), 0);
    ASSERT_NE(window.at(12345, 1), nullptr);
    EXPECT_EQ(*window.at(12345, 1), 0);
}

} // namespace
