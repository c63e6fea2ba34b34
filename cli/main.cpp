// orvantis-cli: converts Tidelume data files without any window.

#include "cli/association_commands.h"
#include "cli/batch_conversion.h"
#include "cli/cli_options.h"
#include "cli/file_type_commands.h"
#include "cli/interrupt_cleanup.h"
#include "cli/log_stream.h"
#include "cli/standard_descriptors.h"
#include "cli/stdout_log.h"
#include "cli/window_program.h"
#include "calibration/cal_table.h"
#include "core/log.h"
#include "orvantis_version.h"

#include <cstdio>
#include <iostream>

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

    const ParseResult parsed = parseCliOptions(argc, argv);
    switch (parsed.outcome) {
    case ParseOutcome::ShowHelp: std::fputs(cliUsageText(), stdout); return 0;
    case ParseOutcome::ShowVersion: std::printf("Orvantis %s\n", ORVANTIS_VERSION); return 0;
    case ParseOutcome::UsageError:
        std::fprintf(stderr, "orvantis-cli: %s\n\n%s", parsed.error.c_str(), cliUsageText());
        return 2;
    case ParseOutcome::Run: break;
    }
    const int status = runConversion(parsed.options);
    freeCals();
    flushLog(stdout);
    return status;
}
