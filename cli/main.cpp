// orvantis-cli: converts Tidelume data files without any window.

#include "cli/association_commands.h"
#include "cli/batch_conversion.h"
#include "cli/cli_options.h"
#include "cli/file_type_commands.h"
#include "cli/log_stream.h"
#include "cli/standard_descriptors.h"
#include "cli/window_program.h"
#include "conversion/interrupt_cleanup.h"
#include "conversion/netcdf_output.h"
#include "core/shell_quote.h"
#include "driver/conversion_driver.h"
#include "orvantis_version.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace {

// The command as NetCDF outputs record it in their history, quoted so that
// a shell runs it again as it was given.
std::string commandLine(int argc, char** argv)
{
    std::string text = "orvantis-cli";
    for (int i = 1; i < argc; ++i)
        text += " " + shellQuoted(argv[i]);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    openMissingStandardDescriptors();
    keepRunningWhenLogStreamCloses();
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
    if (parsed.options.conversion.form == OutputForm::NetCdf && !NetcdfOutput::available()) {
        std::fputs("orvantis-cli: NetCDF output is not available in this build\n", stderr);
        return 2;
    }
    const int status = runConversion(parsed.options, commandLine(argc, argv));
    flushLog(stdout);
    return status;
}
