// The registered entry started through GIO, as a file manager starts it, for
// program paths holding every kind of character an Exec line treats
// specially.

#include "desktop_sandbox.h"

#include "desktop/desktop_file_types.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace {

// A stand-in for the program that logs its start and its arguments.
fs::path loggingProgram(const fs::path& folder, const fs::path& log)
{
    fs::create_directories(folder);
    fs::path program = folder / "orvantis";
    std::ofstream(program) << "#!/bin/sh\nprintf 'start\\n' >> \"$LAUNCH_LOG\"\n"
                           << "printf '%s\\n' \"$@\" >> \"$LAUNCH_LOG\"\n";
    fs::permissions(program, fs::perms::owner_all);
    setenv("LAUNCH_LOG", log.c_str(), 1);
    return program;
}

std::string logOnceWritten(const fs::path& log, const std::string& expected)
{
    for (int i = 0; i < 100 && readText(log) != expected; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return readText(log);
}

} // namespace

using DesktopLaunch = DesktopSandbox;

TEST_F(DesktopLaunch, OddProgramPathsStartWithEveryFile)
{
    const std::string folders[] = {"100%",     "50% off & more", "My Tools",         "Séance Ω", "it's \"quoted\"",
                                   "a$b`c\\d", "%F %u %%",       "semi;colon=equals"};
    fs::path first = writeSample("a b.ASC", textDataFile());
    fs::path second = writeSample("ü%.asc", textDataFile());
    int run = 0;
    for (const std::string& folder : folders) {
        fs::path log = samples() / ("launch" + std::to_string(run++) + ".txt");
        fs::path program = loggingProgram(samples() / folder, log);
        registerFileType(".ASC", "Tidelume.ASC", "Tidelume Ascii Files", program.string());

        outputOf({"gio", "launch", entryFile().string(), first.string(), second.string()});
        std::string expected = "start\n" + first.string() + "\n" + second.string() + "\n";
        EXPECT_EQ(logOnceWritten(log, expected), expected) << folder << "\n" << readText(entryFile());
    }
}

TEST_F(DesktopLaunch, OpeningADataFileStartsTheProgram)
{
    fs::path log = samples() / "open.txt";
    fs::path program = loggingProgram(samples() / "100% sure", log);
    registerFileType(".BIN", "Tidelume.BIN", "Tidelume Binary Files", program.string());
    fs::path data = writeSample("Séance 1.BIN", binaryDataFile());

    outputOf({"gio", "open", data.string()});
    std::string expected = "start\n" + data.string() + "\n";
    EXPECT_EQ(logOnceWritten(log, expected), expected);
}
