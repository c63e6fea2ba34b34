#pragma once
// Helpers of the calibration tests: a capture of everything the message
// functions send, a temporary directory for calibration files, and the
// example calibration file of one channel.

#include "calibration/cal_table.h"
#include "core/log.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// Collects the texts given to the log callback and to the error box while it
// lives; the log state is reset afterwards.
class LogCapture {
public:
    explicit LogCapture(int16_t verbose = 0)
    {
        instance = this;
        logSink = &LogCapture::sink;
        verboseLog = verbose;
        setErrorBoxHook(&LogCapture::box);
    }
    ~LogCapture()
    {
        logSink = nullptr;
        verboseLog = 0;
        setErrorBoxHook(nullptr);
        instance = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    static void sink(const char* text) { instance->messages.emplace_back(text); }
    static void box(const char* text) { instance->errorBoxes.emplace_back(text); }

    int count(const std::string& text) const
    {
        int n = 0;
        for (const std::string& m : messages)
            n += m == text;
        return n;
    }
    void clear()
    {
        messages.clear();
        errorBoxes.clear();
    }

    std::vector<std::string> messages;
    std::vector<std::string> errorBoxes;

private:
    static inline LogCapture* instance = nullptr;
};

// A directory of its own under the system's temporary directory, removed
// with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvantis-cal-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string write(const std::string& name, const std::string& content) const
    {
        const std::string file = (path_ / name).string();
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

private:
    std::filesystem::path path_;
};

// Joins lines, each followed by the line end.
inline std::string joinLines(const std::vector<std::string>& lines, const std::string& eol = "\r\n")
{
    std::string text;
    for (const std::string& line : lines)
        text += line + eol;
    return text;
}

// The example calibration file: channel A with eight dark pixels (0 to 7)
// ahead of three calibrated pixels (8 to 10).
inline std::vector<std::string> exampleCalLines()
{
    return {"[ID]",
            "12345",
            "[A]",
            "Ed",
            "uW/cm^2/nm",
            "1.0",
            "0,3",
            "4,7",
            "8",
            "1,0.0,0.00123,1.3",
            "8,0.5,0.00125,1.3",
            "1,1.0,0.00127,1.3",
            "[A WAVE]",
            "350.0",
            "3.3",
            "-0.0001",
            "[A NLTABLE]",
            "0,1000",
            "0.0",
            "12.5",
            "[A TIME]",
            "0.0"};
}

// The lines of the four sections of one more channel, given by its letter,
// shaped like channel A of the example.
inline std::vector<std::string> channelLines(char letter)
{
    const std::string x(1, letter);
    return {"[" + x + "]", "Lu", "uW/cm^2/nm/sr", "2.0", "0,1", "2,3", "4", "1,0.5,0.001,1.0",
            "[" + x + " WAVE]", "400.0", "2.0", "0.0",
            "[" + x + " NLTABLE]", "0,100", "1.0",
            "[" + x + " TIME]", "0.0"};
}

inline int16_t loadFile(const std::string& path, uint8_t debug = 0, uint8_t ignoreImmersion = 0)
{
    return loadCalFile(path.c_str(), debug, ignoreImmersion, &LogCapture::sink);
}
