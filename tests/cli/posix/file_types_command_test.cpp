// `orvantis-cli file-types` in a private desktop: the registration of the
// window's buttons, its status, and its removal back to the desktop before.

#include "desktop_sandbox.h"

#include "cli/file_type_commands.h"
#include "desktop/posix/desktop_process.h"

#include <sstream>

namespace {

struct CommandResult {
    int status = 0;
    std::string out;
    std::string err;
};

} // namespace

class FileTypesCommand : public DesktopSandbox {
protected:
    CommandResult run(const std::vector<std::string>& words, const fs::path& program)
    {
        std::vector<std::string> args{"orvantis-cli", "file-types"};
        args.insert(args.end(), words.begin(), words.end());
        std::ostringstream out;
        std::ostringstream err;
        int status = runFileTypeCommand(args, program, out, err);
        return {status, out.str(), err.str()};
    }
    CommandResult run(const std::vector<std::string>& words) { return run(words, programPath()); }
};

TEST_F(FileTypesCommand, RegisterStatusRemoveRoundTrip)
{
    auto before = desktopSnapshot();
    EXPECT_EQ(run({"status"}).out, ".ASC: application/x-tidelume.asc, not registered, not opened by Orvantis\n"
                                   ".BIN: application/x-tidelume.bin, not registered, not opened by Orvantis\n");

    CommandResult registered = run({"register"});
    EXPECT_EQ(registered.status, 0) << registered.err;
    EXPECT_EQ(registered.out, ".ASC: registered\n.BIN: registered\n");
    EXPECT_EQ(run({"status"}).out,
              ".ASC: application/x-tidelume.asc, registered for this user, opened by Orvantis\n"
              ".BIN: application/x-tidelume.bin, registered for this user, opened by Orvantis\n");
    EXPECT_EQ(gioContentType(writeSample("x.bin", binaryDataFile())), "application/x-tidelume.bin");

    CommandResult removed = run({"remove", ".asc"});
    EXPECT_EQ(removed.out, ".ASC: removed\n");
    EXPECT_EQ(run({"status", ".ASC"}).out,
              ".ASC: application/x-tidelume.asc, not registered, not opened by Orvantis\n");
    EXPECT_EQ(run({"remove"}).status, 0);
    EXPECT_EQ(desktopSnapshot(), before);
}

TEST_F(FileTypesCommand, InstalledPackageIsReportedAndNotCopied)
{
    installPackageFiles();
    EXPECT_EQ(run({"register", ".BIN"}).status, 0);
    EXPECT_FALSE(fs::exists(entryFile()));
    EXPECT_EQ(run({"status"}).out,
              ".ASC: application/x-tidelume.asc, installed for all users, not opened by Orvantis\n"
              ".BIN: application/x-tidelume.bin, installed for all users, opened by Orvantis\n");
}

TEST_F(FileTypesCommand, UsageErrorsAndAMissingProgramChangeNothing)
{
    auto before = desktopSnapshot();
    EXPECT_EQ(run({}).status, 2);
    EXPECT_EQ(run({"associate"}).status, 2);
    CommandResult unknown = run({"register", ".TXT"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("no data file type for '.TXT'"), std::string::npos) << unknown.err;

    CommandResult missing = run({"register"}, samples() / "nowhere" / "orvantis");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find((samples() / "nowhere" / "orvantis").string() + " is not there"), std::string::npos)
        << missing.err;
    EXPECT_EQ(desktopSnapshot(), before);
}

TEST_F(FileTypesCommand, FailureIsReportedWithTheFile)
{
    fs::create_directories(mimeappsFile());
    CommandResult result = run({"register"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("orvantis-cli: cannot read " + mimeappsFile().string()), std::string::npos)
        << result.err;
}

TEST_F(FileTypesCommand, TheConverterRegistersTheWindowProgramBesideIt)
{
    // In the build tree the window program is not beside the converter.
    desktop::ProgramResult result =
        desktop::runProgram({ORVANTIS_CLI, "file-types", "register"}, desktop::ErrorOutput::Collect);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.output.find((fs::path(ORVANTIS_CLI).parent_path() / "orvantis").string() + " is not there"),
              std::string::npos)
        << result.output;
    result = desktop::runProgram({ORVANTIS_CLI, "file-types", "status"}, desktop::ErrorOutput::Collect);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_NE(result.output.find(".BIN: application/x-tidelume.bin, not registered"), std::string::npos)
        << result.output;
}
