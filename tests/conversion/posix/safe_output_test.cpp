// The output never destroys what the conversion reads, and a conversion that
// cannot finish its output leaves the previous output exactly as it was.

#include "conversion/processing.h"

#include "calibration/cal_table.h"
#include "conversion/default_context.h"
#include "file_size_limit.h"
#include "log_capture.h"
#include "temp_dir.h"
#include "sample_files.h"
#include "unprivileged_child.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const char* const HEADER_LINES = "Tidelume Radiometer: TDL0001\r\nChannel 1\r\n";

std::string dataText(int spectra)
{
    std::string text = HEADER_LINES;
    for (int j = 0; j < spectra; ++j) {
        text += std::to_string(1000 + j) + ",12.46,11.2,3.456,0,1,1,0,0,100,0,1,20";
        for (int k = 0; k < 20; ++k)
            text += "," + std::to_string((j * 31 + k * 7) % 4000);
        text += "\r\n";
    }
    return text;
}

class SafeOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        freeCals();
        std::strcpy(dataSerial, "TDL0001");
        chanIndex = 0;
    }
    void TearDown() override { freeCals(); }

    int convert(const std::string& input, const std::string& cal = "CAL.CAL", int level = 0, int transpose = 0,
                int binary = 0)
    {
        return calibrateFile(input.c_str(), cal.c_str(), static_cast<int8_t>(level), transpose, binary, ',', 0,
                             LogCapture::sink);
    }

    TempDir dir;
    LogCapture log;
};

TEST_F(SafeOutput, InputsAreNeverOverwrittenWhateverNameReachesThem)
{
    const std::string data = dataText(3);
    const std::string cal = dir.write("S.RAW", "a calibration file");
    struct Case {
        std::string input;
        std::string calibration;
        std::string refusal;
    };
    // An input named like its output, reached through a symbolic link, or a
    // hard link; a calibration file where the output would go; a recording
    // under the output's name.
    const std::string same = dir.write("X.RAW", data);
    const std::string linked = dir.write("A.ASC", data);
    fs::create_symlink(linked, dir.file("A.RAW"));
    const std::string hard = dir.write("H.ASC", data);
    fs::create_hard_link(hard, dir.file("H.RAW"));
    const std::string besideCal = dir.write("S.ASC", data);
    const std::string recorded = dir.write("R.ASC", data);
    const std::string recording = dir.write("R.RAW", data);
    const auto refusal = [](const std::string& output, const std::string& reason) {
        return "Refusing to write " + output + ": " + reason + "\n";
    };
    for (const Case& c :
         {Case{same, "CAL.CAL", refusal(same, "it is the input file itself")},
          Case{linked, "CAL.CAL", dir.file("A.RAW") + " is a symbolic link; not replaced\n"},
          Case{hard, "CAL.CAL", refusal(dir.file("H.RAW"), "it is the input file itself")},
          Case{besideCal, cal, refusal(cal, "it is the calibration file")},
          Case{recorded, "CAL.CAL", refusal(recording, "it is a Tidelume data file, not an output; not replaced")}}) {
        SCOPED_TRACE(c.input);
        log.clear();
        EXPECT_NE(convert(c.input, c.calibration), 0);
        EXPECT_EQ(concatenated(log.errorBoxes()), c.refusal + "No files processed.\n");
        EXPECT_EQ(readFile(c.input), data);
    }
    EXPECT_EQ(readFile(cal), "a calibration file");
    EXPECT_EQ(readFile(recording), data);
    EXPECT_EQ(folderContents(dir.path()), (std::vector<std::string>{"A.ASC", "A.RAW", "H.ASC", "H.RAW", "R.ASC",
                                                                    "R.RAW", "S.ASC", "S.RAW", "X.RAW"}));
}

// A link planted under the output's name (in a shared folder, another
// user's) could lead the write to any file the converter may write: it is
// never followed, wherever it leads, and stays as it is.
TEST_F(SafeOutput, LinkUnderTheOutputsNameIsRefusedWhereverItLeads)
{
    const std::string input = dir.write("A.ASC", dataText(2));
    const std::string elsewhere = dir.write("ELSEWHERE.RAW", "another user's file");
    for (const std::string& target : {elsewhere, std::string("/dev/null"), dir.file("NOWHERE.RAW")}) {
        SCOPED_TRACE(target);
        log.clear();
        fs::remove(dir.file("A.RAW"));
        fs::create_symlink(target, dir.file("A.RAW"));
        EXPECT_EQ(convert(input), 1);
        EXPECT_EQ(concatenated(log.errorBoxes()),
                  dir.file("A.RAW") + " is a symbolic link; not replaced\nNo files processed.\n");
        EXPECT_EQ(fs::read_symlink(dir.file("A.RAW")), target);
    }
    EXPECT_EQ(readFile(elsewhere), "another user's file");
    EXPECT_FALSE(fs::exists(dir.file("NOWHERE.RAW")));
}

TEST_F(SafeOutput, ReplacedOutputKeepsItsModeANewOneHasTheUmasksAndNoTemporaryStays)
{
    const std::string input = dir.write("A.ASC", dataText(2));
    const std::string output = dir.file("A.RAW");
    const mode_t mask = umask(027);
    EXPECT_EQ(convert(input), 0);
    const auto modeOfOutput = [&] {
        struct stat info {};
        return stat(output.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
    };
    EXPECT_EQ(modeOfOutput(), 0640u);
    for (const mode_t mode : {mode_t{0600}, mode_t{0644}, mode_t{0604}}) {
        SCOPED_TRACE(mode);
        ASSERT_EQ(chmod(output.c_str(), mode), 0);
        EXPECT_EQ(convert(input), 0);
        EXPECT_EQ(modeOfOutput(), mode);
    }
    umask(mask);
    EXPECT_EQ(splitCrLfLines(readFile(output)).size(), 7u);
    EXPECT_EQ(folderContents(dir.path()), (std::vector<std::string>{"A.ASC", "A.RAW"}));
}

// An output name one byte too long for the folder (the input's name has no
// extension, so the output's adds one) fails before any spectrum is read.
TEST_F(SafeOutput, OutputNameTooLongFailsBeforeAnythingIsConverted)
{
    const std::string input = dir.write(std::string(252, 'N'), dataText(3));
    EXPECT_EQ(convert(input), ENAMETOOLONG);
    EXPECT_EQ(log.joined().find("spectr"), std::string::npos) << log.joined();
    EXPECT_EQ(folderContents(dir.path()), std::vector<std::string>{std::string(252, 'N')});
    EXPECT_EQ(readFile(input), dataText(3));
}

TEST_F(SafeOutput, FolderWithoutWritePermissionIsReportedAndLeftAlone)
{
    const fs::path folder = dir.path() / "locked";
    fs::create_directory(folder);
    const std::string input = (folder / "A.ASC").string();
    writeFile(input, dataText(2));
    writeFile((folder / "A.RAW").string(), "old");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string outcome = runInChildForText([&] {
        const int result = convert(input);
        return std::to_string(result) + " " + concatenated(log.errorBoxes());
    });
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(outcome, std::to_string(EACCES) + " Error " + std::to_string(EACCES) + " opening output file " +
                           (folder / "A.RAW").string() + ": Permission denied (no new file can be made in the folder " +
                           folder.string() + ")\nNo files processed.\n");
    EXPECT_EQ(readFile((folder / "A.RAW").string()), "old");
    EXPECT_EQ(folderContents(folder), (std::vector<std::string>{"A.ASC", "A.RAW"}));
}

TEST_F(SafeOutput, EveryFailingWriteFailsTheFileAndKeepsThePreviousOutput)
{
    const std::string input = dir.write("A.ASC", dataText(400));
    const TempDir reports;
    struct Form {
        const char* name;
        int transpose;
        int binary;
        const char* output;
    };
    for (const Form form :
         {Form{"rows", 0, 0, "A.RAW"}, Form{"transposed", 1, 0, "A.RAW"}, Form{"binary", 0, 1, "A.BRW"}}) {
        SCOPED_TRACE(form.name);
        const std::string output = dir.file(form.output);
        fs::remove(dir.file("A.RAW"));
        fs::remove(dir.file("A.BRW"));
        ASSERT_EQ(convert(input, "CAL.CAL", 0, form.transpose, form.binary), 0);
        const auto size = static_cast<rlim_t>(fs::file_size(output));
        const std::string previous = "the previous output\n";
        writeFile(output, previous);
        const auto conversion = [&] {
            log.clear();
            return convert(input, "CAL.CAL", 0, form.transpose, form.binary);
        };
        // Every limit from nothing to one byte short, in steps that cut the
        // file at every stage: header, first rows, the middle, the last bytes.
        for (rlim_t limit = 0; limit < size; limit += limit < 64 ? 1 + limit : size / 97 + 1) {
            SCOPED_TRACE(limit);
            const auto [result, text] = convertWithFileSizeLimit(conversion, limit, log, reports.file("report"));
            EXPECT_NE(result, 0);
            EXPECT_NE(text.find("Error writing output file " + output + ": " + std::strerror(EFBIG)), std::string::npos)
                << text;
            EXPECT_EQ(text.find(" spectra.\n"), std::string::npos) << text;
            ASSERT_EQ(readFile(output), previous);
            ASSERT_EQ(folderContents(dir.path()), (std::vector<std::string>{"A.ASC", form.output}));
        }
        EXPECT_EQ(convertWithFileSizeLimit(conversion, size, log, reports.file("report")).first, 0);
    }
}

} // namespace
