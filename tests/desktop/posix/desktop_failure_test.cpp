// Registrations that fail part-way must leave the desktop as they found it.

#include "desktop_sandbox.h"

#include "desktop/desktop_file_types.h"
#include "unprivileged_child.h"

#include <fstream>
#include <unistd.h>

namespace {

// Runs a registration that must fail; returns its message.
std::string failureOf(const fs::path& program, const std::string& extension = ".BIN")
{
    std::string type = extension == ".BIN" ? "Tidelume.BIN" : "Tidelume.ASC";
    try {
        registerFileType(extension, type, "Tidelume Files", program.string());
    } catch (const DesktopRegistrationError& error) {
        return error.what();
    }
    ADD_FAILURE() << "the registration did not fail";
    return {};
}

bool canWriteIn(const fs::path& folder)
{
    fs::path probe = folder / "probe";
    bool written = std::ofstream(probe).good();
    fs::remove(probe);
    return written;
}

} // namespace

using DesktopRegistrationFailure = DesktopSandbox;

TEST_F(DesktopRegistrationFailure, ReadOnlyDataFolderThrowsAndLeavesNothing)
{
    fs::permissions(dataHome(), fs::perms::owner_read | fs::perms::owner_exec);
    auto before = desktopSnapshot();

    const std::string failure = runInChildForText([&] {
        return canWriteIn(dataHome()) ? std::string("child failed: the folder took a file") : failureOf(programPath());
    });
    fs::permissions(dataHome(), fs::perms::owner_all);
    EXPECT_NE(failure.find(dataHome().string()), std::string::npos) << failure;
    EXPECT_EQ(desktopSnapshot(), before);
}

TEST_F(DesktopRegistrationFailure, DataFolderThatIsAFileThrowsAndLeavesNothing)
{
    fs::remove(dataHome());
    std::ofstream(dataHome()) << "not a folder";
    auto before = desktopSnapshot();

    EXPECT_NE(failureOf(programPath()).find(dataHome().string()), std::string::npos);
    EXPECT_EQ(desktopSnapshot(), before);
}

TEST_F(DesktopRegistrationFailure, LastFolderFailingTakesBackTheEarlierFiles)
{
    fs::remove(configHome());
    std::ofstream(configHome()) << "not a folder";
    auto before = desktopSnapshot();

    EXPECT_NE(failureOf(programPath()).find(configHome().string()), std::string::npos);
    EXPECT_EQ(desktopSnapshot(), before);
}

TEST_F(DesktopRegistrationFailure, MissingDesktopDatabaseToolIsNotedAndTheRegistrationWorks)
{
    limitPathTo({"update-mime-database"});

    RegistrationNotes notes = registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", programPath().string());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("update-desktop-database is not installed"), std::string::npos) << notes[0];
    EXPECT_TRUE(fs::exists(entryFile()));
    EXPECT_FALSE(fs::exists(dataHome() / "applications" / "mimeinfo.cache"));
    limitPathTo({"gio"});
    EXPECT_EQ(gioContentType(writeSample("x.ASC", textDataFile())), "application/x-tidelume.asc");
}

TEST_F(DesktopRegistrationFailure, MissingMimeDatabaseToolThrowsAndLeavesNothing)
{
    auto before = desktopSnapshot();
    limitPathTo({"update-desktop-database"});

    EXPECT_NE(failureOf(programPath()).find("update-mime-database"), std::string::npos);
    EXPECT_EQ(desktopSnapshot(), before);
}

TEST_F(DesktopRegistrationFailure, FailingToolRestoresTheEarlierRegistration)
{
    registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", programPath().string());
    std::ofstream(mimeappsFile(), std::ios::app) << "[Added Associations]\ntext/html=firefox.desktop;\n";
    auto before = desktopSnapshot();
    shadowTool("update-desktop-database", "echo cache folder is broken >&2\nexit 3");

    std::string message = failureOf(programPath());
    EXPECT_NE(message.find("update-desktop-database failed with exit status 3"), std::string::npos) << message;
    EXPECT_NE(message.find("cache folder is broken"), std::string::npos) << message;
    EXPECT_EQ(desktopSnapshot(), before);
    EXPECT_EQ(gioContentType(writeSample("x.asc", textDataFile())), "application/x-tidelume.asc");
}

TEST_F(DesktopRegistrationFailure, NoStepNeedsGio)
{
    std::string withGio = currentFileType(".ASC");
    limitPathTo({"update-mime-database", "update-desktop-database"});
    EXPECT_EQ(currentFileType(".ASC"), withGio);
    EXPECT_NO_THROW(registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", programPath().string()));
    EXPECT_EQ(currentFileType(".asc"), "application/x-tidelume.asc");
    EXPECT_NO_THROW(removeFileType(".ASC", "Tidelume.ASC"));
    EXPECT_EQ(currentFileType(".ASC"), withGio);
}

TEST_F(DesktopRegistrationFailure, FolderInPlaceOfMimeappsListIsNamedAndNothingIsLeft)
{
    fs::create_directories(mimeappsFile() / "inside");
    auto before = desktopSnapshot();

    std::string message = failureOf(programPath(), ".ASC");
    EXPECT_NE(message.find(mimeappsFile().string() + ": it is a folder"), std::string::npos) << message;
    EXPECT_EQ(desktopSnapshot(), before);
    EXPECT_THROW(removeFileType(".ASC", "Tidelume.ASC"), DesktopRegistrationError);
}
