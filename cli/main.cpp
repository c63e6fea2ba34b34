// orvantis-cli: converts Tidelume data files without any window.

#include "cli/association_commands.h"
#include "cli/batch_conversion.h"
#include "cli/cli_options.h"
#include "cli/file_type_commands.h"
#include "cli/log_stream.h"
#include "cli/standard_descriptors.h"
#include "cli/stdout_log.h"
#include "cli/window_program.h"
#include "calibration/cal_table.h"
#include "conversion/interrupt_cleanup.h"
#include "conversion/netcdf_output.h"
#include "core/log.h"
#include "driver/conversion_driver.h"
#include "orvantis_version.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace {

// The command as NetCDF outputs record it in their history.
std::string commandLine(int argc, char** argv)
{
    std::string text = "orvantis-cli";
    for (int i = 1; i < argc; ++i)
        text += std::string(" ") + argv[i];
    return text;
}

// A child of a parallel batch (see batch_conversion.h): its log goes to the
// parent as the parent holds it, and its history names the batch's command.
int runChild(int argc, char** argv)
{
    writeStandardStreamsAsBytes();
    const ParseResult parsed = parseCliOptions(argc - 3, argv + 3);
    if (parsed.outcome != ParseOutcome::Run)
        return static_cast<int>(FileOutcome::NotConverted);
    setNetcdfCommand(commandLine(argc - 3, argv + 3));
    const int status = runBatchChild(parsed.options, argv[2], std::strtoul(argv[3], nullptr, 10));
    freeCals();
    flushLog(stdout);
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    openMissingStandardDescriptors();
    keepRunningWhenLogStreamCloses();
    logSink = logToStdout;
    installInterruptCleanup();
    if (argc > 1 && isAssociationCommand(argv[1]))
        return runAssociationCommand(argc, argv);
    if (argc > 1 && isFileTypeCommand(argv[1]))
        return runFileTypeCommand(std::vector<std::string>(argv, argv + argc),
                                  windowProgramBeside(runningProgramFile()), std::cout, std::cerr);

    if (argc >= 4 && std::string(argv[1]) == BatchChildOption)
        return runChild(argc, argv);

    const ParseResult parsed = parseCliOptions(argc, argv);
    switch (parsed.outcome) {
    case ParseOutcome::ShowHelp: std::fputs(cliUsageText(), stdout); return 0;
    case ParseOutcome::ShowVersion: std::printf("Orvantis %s\n", ORVANTIS_VERSION); return 0;
    case ParseOutcome::UsageError:
        std::fprintf(stderr, "orvantis-cli: %s\n\n%s", parsed.error.c_str(), cliUsageText());
        return 2;
    case ParseOutcome::Run: break;
    }
    if (parsed.options.netcdf && !NetcdfOutput::available()) {
        std::fputs("orvantis-cli: NetCDF output is not available in this build\n", stderr);
        return 2;
    }
    setNetcdfCommand(commandLine(argc, argv));
    const int status = runConversion(parsed.options);
    freeCals();
    flushLog(stdout);
    return status;
}
