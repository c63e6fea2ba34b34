// Registering and removing again leaves the user's desktop as it was, and
// the user's files keep what they are: permissions, links, other entries.

#include "desktop_sandbox.h"

#include "desktop/desktop_file_types.h"
#include "desktop/posix/desktop_entry.h"

#include <sys/stat.h>

#include <fstream>

namespace {

void registerAll(const fs::path& program)
{
    for (const ProgramFileType& type : programFileTypes())
        registerFileType(type.extension, type.typeName, type.description, program.string());
}

void removeAll()
{
    for (const ProgramFileType& type : programFileTypes())
        removeFileType(type.extension, type.typeName);
}

mode_t modeOf(const fs::path& file)
{
    struct stat status;
    EXPECT_EQ(::stat(file.c_str(), &status), 0) << file;
    return status.st_mode & 07777;
}

const std::string OtherList = "[Default Applications]\ntext/plain=gedit.desktop;\n\n"
                              "[Added Associations]\ntext/html=firefox.desktop;\n";

} // namespace

using DesktopRoundTrip = DesktopSandbox;
using desktop::entryMimeTypes;
using desktop::entryProgram;

TEST_F(DesktopRoundTrip, FreshDesktopIsLeftExactlyAsBefore)
{
    auto before = desktopSnapshot();
    registerAll(programPath());
    EXPECT_NE(desktopSnapshot(), before);
    removeAll();
    EXPECT_EQ(desktopSnapshot(), before);
}

TEST_F(DesktopRoundTrip, RemovingInEitherOrderKeepsTheOtherType)
{
    registerAll(programPath());
    removeFileType(".ASC", "Tidelume.ASC");
    EXPECT_EQ(entryMimeTypes(readText(entryFile())), std::vector<std::string>{"application/x-tidelume.bin"});
    EXPECT_EQ(entryProgram(readText(entryFile())), programPath().string());
    EXPECT_FALSE(fileTypeStatus(".ASC", "Tidelume.ASC").known);
    FileTypeStatus bin = fileTypeStatus(".BIN", "Tidelume.BIN");
    EXPECT_TRUE(bin.known && bin.programOpensIt && !bin.systemWide);
    EXPECT_EQ(gioContentType(writeSample("x.BIN", binaryDataFile())), "application/x-tidelume.bin");
}

TEST_F(DesktopRoundTrip, UsersFilesKeepTheirEntriesAndPermissions)
{
    for (mode_t mode : {0444, 0400, 0640}) {
        std::ofstream(mimeappsFile()) << OtherList;
        fs::permissions(mimeappsFile(), static_cast<fs::perms>(mode));
        auto before = desktopSnapshot();

        registerAll(programPath());
        EXPECT_EQ(modeOf(mimeappsFile()), mode);
        EXPECT_TRUE(fileTypeStatus(".ASC", "Tidelume.ASC").programOpensIt);
        removeAll();
        EXPECT_EQ(modeOf(mimeappsFile()), mode);
        EXPECT_EQ(desktopSnapshot(), before) << std::oct << mode;
        fs::remove(mimeappsFile());
    }
}

TEST_F(DesktopRoundTrip, DanglingLinkGetsItsTargetWrittenAndStaysALink)
{
    fs::path target = samples() / "dotfiles" / "mimeapps.list";
    fs::create_directories(target.parent_path());
    fs::create_symlink("../samples/dotfiles/mimeapps.list", mimeappsFile());
    fs::create_symlink(configHome() / "../samples/dotfiles/mimeapps.list", samples() / "link-to-link");

    registerAll(programPath());
    EXPECT_TRUE(fs::is_symlink(mimeappsFile()));
    EXPECT_NE(readText(target).find("application/x-tidelume.asc=orvantis.desktop;"), std::string::npos);
    removeAll();
    EXPECT_TRUE(fs::is_symlink(mimeappsFile()));
    EXPECT_EQ(readText(target), "");
}

TEST_F(DesktopRoundTrip, InstalledPackageGetsNoPerUserCopy)
{
    installPackageFiles();
    auto before = desktopSnapshot();

    registerAll(programPath());
    EXPECT_FALSE(fs::exists(dataHome() / "mime"));
    EXPECT_FALSE(fs::exists(entryFile()));
    for (const ProgramFileType& type : programFileTypes()) {
        FileTypeStatus status = fileTypeStatus(type.extension, type.typeName);
        EXPECT_TRUE(status.known && status.systemWide && status.programOpensIt) << type.extension;
    }
    EXPECT_EQ(gioContentType(writeSample("x.ASC", textDataFile())), "application/x-tidelume.asc");
    EXPECT_EQ(gioContentType(writeSample("x.BIN", binaryDataFile())), "application/x-tidelume.bin");
    EXPECT_EQ(currentFileType(".ASC"), "application/x-tidelume.asc");

    removeAll();
    EXPECT_EQ(desktopSnapshot(), before);
}
