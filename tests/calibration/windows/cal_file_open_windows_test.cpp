#include "cal_file_fixture.h"

#include "core/file_path.h"
#include "core/windows/wide_text.h"
#include "core/windows/windows_error.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

TEST_F(SectionReader, MissingFileRaisesTheSystemsReason)
{
    const std::string path = (std::filesystem::path(write("")).parent_path() / "absent.cal").string();
    const std::string reason = openErrorOf(path);
    EXPECT_NE(reason.find(path), std::string::npos) << reason;
    EXPECT_NE(reason.find(windowsErrorText(ERROR_FILE_NOT_FOUND)), std::string::npos) << reason;
}

TEST_F(SectionReader, DeviceIsRefused)
{
    const std::string reason = openErrorOf("NUL");
    EXPECT_NE(reason.find("not a regular file"), std::string::npos) << reason;
}

TEST_F(SectionReader, UnicodeNameOpens)
{
    const std::string path = utf8FromPath(dir.path() / pathFromUtf8("S\xC3\xA9"
                                                                    "ance_\xCE\xA9.CAL"));
    std::ofstream(pathFromUtf8(path)) << "[ID]\n12345\n";
    const TCalFile file(path, Log{});
    EXPECT_EQ(file.SectionLine("ID", 0), "12345");
}

} // namespace
