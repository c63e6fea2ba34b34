#include "cli/batch_conversion.h"

#include "cli/console.h"
#include "driver/batch_run.h"

#include <chrono>
#include <string>

int runConversion(const CliOptions& options, const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    Console console(isTerminal(stderr), isTerminal(stdout));
    BatchOptions batch;
    batch.calFile = options.calFile;
    batch.calAnySerial = options.calAnySerial;
    batch.conversion = options.conversion;
    batch.jobs = options.jobs;
    batch.quiet = options.quiet;
    batch.command = command;
    const BatchResult result = runBatch(options.dataFiles, batch, console);
    if (result.calibrationUnread) // said already; there is nothing to sum up
        return static_cast<int>(result.worst);
    console.clearStatus();
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    console.error(result.report.summary(taken.count()));
    return static_cast<int>(result.worst);
}
