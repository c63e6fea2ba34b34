// A leading dot hides nothing on Windows: the temporary carries the hidden
// attribute while it is written, and the output it becomes does not.

#include "conversion/pending_output.h"

#include "core/windows/wide_text.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

DWORD attributesOf(const std::string& path)
{
    return GetFileAttributesW(wideFromUtf8(path).c_str());
}

TEST(PendingOutputOnWindows, TemporaryIsHiddenAndTheOutputIsNot)
{
    const TempDir dir;
    const std::string finalPath = dir.file("A.DAT");
    PendingOutput output;
    ASSERT_EQ(output.open(finalPath), 0);
    const DWORD temporary = attributesOf(output.temporaryPath());
    ASSERT_NE(temporary, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(temporary & FILE_ATTRIBUTE_HIDDEN, 0u);
    ASSERT_EQ(std::fputs("text", output.stream()) >= 0, true);
    ASSERT_EQ(output.commit(), 0);
    const DWORD written = attributesOf(finalPath);
    ASSERT_NE(written, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(written & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(readFile(finalPath), "text");
}

} // namespace
