#pragma once
// Command-line options of the headless converter.

#include "conversion/conversion_options.h"

#include <string>
#include <vector>

// The number of processors, at least 1.
int defaultJobCount();

struct CliOptions {
    std::string calFile; // empty: use each file's associated calibration
    bool calAnySerial = false; // convert with a calibration file of another instrument too
    ConversionOptions conversion;
    int jobs = defaultJobCount(); // files converted at the same time
    bool quiet = false;           // no log: only errors and the summary
    std::vector<std::string> dataFiles;
};

enum class ParseOutcome { Run, ShowHelp, ShowVersion, UsageError };

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::Run;
    CliOptions options;
    std::string error; // the reason of a usage error
};

ParseResult parseCliOptions(int argc, char** argv);

const char* cliUsageText();
