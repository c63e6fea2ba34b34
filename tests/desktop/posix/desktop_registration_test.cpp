// Registration against the real desktop tools, in a private desktop.

#include "desktop_sandbox.h"

#include "desktop/posix/desktop_entry.h"
#include "desktop/desktop_file_types.h"
#include "desktop/posix/desktop_paths.h"
#include "desktop/posix/desktop_process.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

using namespace desktop;

namespace {

const std::string AscType = "application/x-tidelume.asc";
const std::string BinType = "application/x-tidelume.bin";
void registerAsc(const fs::path& program)
{
    registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", program.string());
}

void registerBin(const fs::path& program)
{
    registerFileType(".BIN", "Tidelume.BIN", "Tidelume Binary Files", program.string());
}

// The types the system's own MIME database gives names ending in the suffix.
std::set<std::string> systemTypesForSuffix(const std::string& suffix)
{
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(dirs && *dirs ? dirs : "/usr/local/share:/usr/share");
    std::set<std::string> types;
    std::string dir;
    while (std::getline(list, dir, ':')) {
        std::istringstream globs(readText(fs::path(dir) / "mime" / "globs2"));
        std::string line;
        while (std::getline(globs, line)) {
            size_t typeEnd = line.rfind(':');
            if (line.empty() || line[0] == '#' || typeEnd == std::string::npos ||
                line.substr(typeEnd + 1) != "*" + suffix)
                continue;
            size_t typeStart = line.find(':') + 1;
            types.insert(line.substr(typeStart, typeEnd - typeStart));
        }
    }
    return types;
}

std::string defaultApplicationOf(const std::string& type)
{
    std::string output = outputOf({"xdg-mime", "query", "default", type});
    return output.substr(0, output.find('\n'));
}

// GLib's choice, which also weighs the entries that handle text/plain.
std::string glibDefaultApplicationOf(const std::string& type)
{
    std::string output = outputOf({"gio", "mime", type});
    std::string firstLine = output.substr(0, output.find('\n'));
    size_t colon = firstLine.rfind(": ");
    return colon == std::string::npos ? firstLine : firstLine.substr(colon + 2);
}

void expectValidEntry(const fs::path& entry)
{
    ProgramResult result = runProgram({"desktop-file-validate", entry.string()}, ErrorOutput::Collect);
    EXPECT_EQ(result.exitStatus, 0) << result.output;
    EXPECT_EQ(result.output.find("error:"), std::string::npos) << result.output;
}

} // namespace

using DesktopRegistration = DesktopSandbox;

TEST_F(DesktopRegistration, FreshDesktopReportsTheSystemsTypes)
{
    std::set<std::string> ascTypes = systemTypesForSuffix(".asc");
    ASSERT_FALSE(ascTypes.empty()) << "the system's MIME database has no *.asc type";
    std::string current = currentFileType(".ASC");
    EXPECT_TRUE(ascTypes.count(current)) << current;
    EXPECT_EQ(currentFileType(".asc"), current);

    if (systemTypesForSuffix(".bin").empty()) {
        EXPECT_EQ(currentFileType(".BIN"), "");
    }
    EXPECT_EQ(currentFileType(".orvantis-unknown"), "");
}

TEST_F(DesktopRegistration, AscFilesOfAnyCaseBecomeTheProgramsType)
{
    registerAsc(programPath());

    EXPECT_EQ(gioContentType(writeSample("x.ASC", textDataFile())), AscType);
    EXPECT_EQ(gioContentType(writeSample("y.asc", textDataFile())), AscType);
    EXPECT_EQ(gioContentType(writeSample("z.Asc", textDataFile())), AscType);
    EXPECT_EQ(currentFileType(".ASC"), AscType);
    EXPECT_EQ(defaultApplicationOf(AscType), DesktopEntryId);
    EXPECT_EQ(glibDefaultApplicationOf(AscType), DesktopEntryId);
    expectValidEntry(entryFile());
    EXPECT_TRUE(fs::is_regular_file(dataHome() / "icons/hicolor/scalable/mimetypes/application-x-tidelume.asc.svg"));
    EXPECT_TRUE(fs::is_regular_file(dataHome() / "icons/hicolor/scalable/apps/orvantis.svg"));
}

TEST_F(DesktopRegistration, AscRegistrationLeavesOtherContentAlone)
{
    registerAsc(programPath());
    // A real signature stays a signature, and other extensions keep their types.
    EXPECT_EQ(gioContentType(writeSample("s.asc", "-----BEGIN PGP SIGNATURE-----\n\nabc\n")),
              "application/pgp-signature");
    EXPECT_EQ(gioContentType(writeSample("n.txt", textDataFile())), "text/plain");
    // GLib gives every empty file text/plain before it looks at the name.
    EXPECT_EQ(gioContentType(writeSample("e.ASC", "")), "text/plain");
}

TEST_F(DesktopRegistration, BinFilesBecomeTheProgramsType)
{
    registerBin(programPath());

    EXPECT_EQ(gioContentType(writeSample("x.BIN", binaryDataFile())), BinType);
    EXPECT_EQ(gioContentType(writeSample("y.bin", binaryDataFile())), BinType);
    EXPECT_EQ(currentFileType(".BIN"), BinType);
    EXPECT_EQ(defaultApplicationOf(BinType), DesktopEntryId);
    EXPECT_EQ(glibDefaultApplicationOf(BinType), DesktopEntryId);
    expectValidEntry(entryFile());
}

TEST_F(DesktopRegistration, BinaryContentIsRecognisedWithoutTheExtension)
{
    registerBin(programPath());
    EXPECT_EQ(gioContentType(writeSample("recording", binaryDataFile())), BinType);
    EXPECT_NE(gioContentType(writeSample("notes", textDataFile())), BinType);
}

TEST_F(DesktopRegistration, SecondRegistrationKeepsTheFirst)
{
    registerAsc(programPath());
    registerBin(programPath());
    registerAsc(programPath());

    EXPECT_EQ(entryMimeTypes(readText(entryFile())), (std::vector<std::string>{AscType, BinType}));
    EXPECT_EQ(defaultApplicationOf(AscType), DesktopEntryId);
    EXPECT_EQ(defaultApplicationOf(BinType), DesktopEntryId);
    EXPECT_EQ(gioContentType(writeSample("x.ASC", textDataFile())), AscType);
    EXPECT_EQ(gioContentType(writeSample("x.BIN", binaryDataFile())), BinType);
    expectValidEntry(entryFile());
}

TEST_F(DesktopRegistration, ExistingMimeappsListKeepsItsEntries)
{
    const std::string before = "# kept\n"
                               "[Default Applications]\n"
                               "text/plain=gedit.desktop;\n"
                               "application/x-tidelume.asc=other.desktop;\n"
                               "\n"
                               "[Added Associations]\n"
                               "text/html=firefox.desktop;\n"
                               "[Removed Associations]\n"
                               "image/png=gimp.desktop;\n";
    std::ofstream(mimeappsFile()) << before;

    registerAsc(programPath());

    std::string after = readText(mimeappsFile());
    EXPECT_EQ(after, "# kept\n"
                     "[Default Applications]\n"
                     "text/plain=gedit.desktop;\n"
                     "application/x-tidelume.asc=orvantis.desktop;other.desktop;\n"
                     "\n"
                     "[Added Associations]\n"
                     "text/html=firefox.desktop;\n"
                     "[Removed Associations]\n"
                     "image/png=gimp.desktop;\n");
    EXPECT_EQ(defaultApplicationOf(AscType), DesktopEntryId);
    EXPECT_EQ(glibDefaultApplicationOf(AscType), DesktopEntryId);
}

TEST_F(DesktopRegistration, MimeappsListBehindALinkIsChangedInPlace)
{
    fs::path real = writeSample("real-mimeapps.list", "[Added Associations]\ntext/html=firefox.desktop;\n");
    fs::create_symlink(real, mimeappsFile());

    registerAsc(programPath());

    EXPECT_TRUE(fs::is_symlink(mimeappsFile()));
    EXPECT_NE(readText(real).find(AscType + "=orvantis.desktop;"), std::string::npos);
}

TEST_F(DesktopRegistration, ProgramPathWithBlanksStartsOneCopyForAllFiles)
{
    fs::path folder = samples() / "My Tools";
    fs::create_directories(folder);
    fs::path program = folder / "orvantis";
    fs::path log = samples() / "started.txt";
    std::ofstream(program) << "#!/bin/sh\necho start >> '" << log.string() << "'\n"
                           << "printf '%s\\n' \"$@\" >> '" << log.string() << "'\n";
    fs::permissions(program, fs::perms::owner_all);

    registerAsc(program.string());

    EXPECT_NE(readText(entryFile()).find("\nExec=\"" + program.string() + "\" %F\n"), std::string::npos);
    expectValidEntry(entryFile());
    fs::path first = writeSample("a.ASC", textDataFile());
    fs::path second = writeSample("b.asc", textDataFile());
    outputOf({"gio", "launch", entryFile().string(), first.string(), second.string()});
    std::string expected = "start\n" + first.string() + "\n" + second.string() + "\n";
    for (int i = 0; i < 100 && readText(log) != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(readText(log), expected);
}

TEST_F(DesktopRegistration, RelativeProgramPathIsRefused)
{
    EXPECT_THROW(registerAsc("bin/orvantis"), DesktopRegistrationError);
    EXPECT_FALSE(fs::exists(entryFile()));
}

TEST_F(DesktopRegistration, RelativeFoldersInTheEnvironmentFallBackToHome)
{
    setenv("HOME", samples().c_str(), 1);
    setenv("XDG_DATA_HOME", "data", 1);
    setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(userDataHome(), samples() / ".local/share");
    EXPECT_EQ(userConfigHome(), samples() / ".config");
}
