#pragma once
// Command-line options of the headless converter.

#include <string>
#include <vector>

// The number of processors, at least 1.
int defaultJobCount();

struct CliOptions {
    std::string calFile; // empty: use each file's associated calibration
    int level = 4;
    bool transpose = false;
    bool binary = false;
    bool netcdf = false;
    char delimiter = ',';
    bool verbose = false;
    bool ignoreImmersion = false;
    int jobs = defaultJobCount(); // files converted at the same time
    std::vector<std::string> dataFiles;
    std::vector<std::string> arguments; // as given, for a child converting one of the files
};

enum class ParseOutcome { Run, ShowHelp, ShowVersion, UsageError };

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::Run;
    CliOptions options;
    std::string error; // the reason of a usage error
};

ParseResult parseCliOptions(int argc, char** argv);

const char* cliUsageText();
