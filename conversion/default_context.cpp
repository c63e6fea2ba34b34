#include "conversion/default_context.h"

#include "calibration/level_processing.h"
#include "conversion/output_formats.h"
#include "conversion/processing.h"

#include <cstdarg>
#include <string>

namespace {

// The options of the default context as one conversion takes them.
Conversion defaultConversion()
{
    const DefaultContext& context = defaultContext();
    Conversion conversion;
    conversion.options.level = context.processLevel;
    conversion.options.transpose = context.transposeOutput != 0;
    conversion.options.form = chosenOutputForm(context.binaryOutput != 0, context.netcdfOutput != 0);
    conversion.options.delimiter = context.delimiter;
    conversion.options.verbose = context.verboseLog != 0;
    conversion.identity = context.identity;
    // Shares the default table without owning it: it lives as long as the program.
    conversion.calibration = std::shared_ptr<const CalTable>(std::shared_ptr<const CalTable>(), &context.calTable);
    conversion.log = context.log();
    return conversion;
}

} // namespace

Log DefaultContext::log() const
{
    Log log;
    if (logSink)
        log.sink = logSink;
    if (errorBox)
        log.errorBox = errorBox;
    log.verbose = verboseLog != 0;
    return log;
}

DefaultContext& defaultContext()
{
    static DefaultContext context;
    return context;
}

void logMessage(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    defaultContext().log().write(Log::Kind::Message, format, args);
    va_end(args);
}

void logDebug(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    defaultContext().log().write(Log::Kind::Debug, format, args);
    va_end(args);
}

void logError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    defaultContext().log().write(Log::Kind::Error, format, args);
    va_end(args);
}

ErrorBoxHook setErrorBoxHook(ErrorBoxHook hook)
{
    const ErrorBoxHook previous = defaultContext().errorBox;
    defaultContext().errorBox = hook;
    return previous;
}

int identifyDataFile(const char* path)
{
    return identifyDataFile(path, defaultContext().log(), defaultContext().identity);
}

int16_t loadCalFile(const char* fileName, uint8_t debug, uint8_t ignoreImmersion, LogCallback callback)
{
    verboseLog = debug;
    logSink = callback;
    return loadCalFile(calTable, fileName, ignoreImmersion != 0, defaultContext().log());
}

void freeCals()
{
    calTable.freeCals();
}

bool slotLoaded(int channel)
{
    return calTable.slotLoaded(channel);
}

double pixelWavelength(int channel, int16_t p)
{
    return calTable.pixelWavelength(channel, p);
}

int16_t processSpectrum(SpectrumRecord& record, float* pixels, int16_t channel, int8_t level)
{
    return processSpectrum(record, pixels, channel, level, calTable, defaultContext().log());
}

int16_t writeHeader(int channel, const SpectrumRecord& record, std::FILE* output)
{
    return writeHeader(defaultConversion(), channel, record, output);
}

int16_t writeOutput(const SpectrumRecord& record, const float* pixels, std::FILE* stream, int binaryForm)
{
    return writeOutput(defaultConversion(), record, pixels, stream, binaryForm != 0);
}

int16_t writeOutput(const SpectrumRecord& record, const float* pixels, RowPipeline& rows)
{
    return writeOutput(defaultContext().log(), record, pixels, rows);
}

int16_t writeTransposed(std::FILE* temporary, std::FILE* output)
{
    return writeTransposed(defaultConversion(), temporary, output);
}

int16_t resultNumber(const FileResult& result)
{
    switch (result.outcome) {
    case ConversionOutcome::Converted: return 0;
    case ConversionOutcome::SpectraSkipped: return SPECTRA_SKIPPED;
    case ConversionOutcome::StoppedEarly: return STOPPED_EARLY;
    case ConversionOutcome::Cancelled: return CANCELLED;
    case ConversionOutcome::SystemFailure: return static_cast<int16_t>(result.systemError);
    case ConversionOutcome::NotWritten:
    case ConversionOutcome::InvalidLevel: break;
    }
    return 1;
}

int calibrateFile(const char* dataFileName, const char* calFileName, int8_t level, int transpose, int form,
                  char delimiterChar, int16_t verbose, LogCallback callback)
{
    // What is announced goes to the log given last time; the rest to this call's.
    ConversionOptions requested;
    requested.level = level;
    requested.transpose = transpose != 0;
    requested.form =
        chosenOutputForm(form == static_cast<int>(OutputForm::Binary), form == static_cast<int>(OutputForm::NetCdf));
    const std::optional<ConversionOptions> options =
        announceConversion(defaultContext().log(), dataFileName, requested);
    if (!options)
        return 1;
    processLevel = level;
    transposeOutput = options->transpose ? 1 : 0;
    binaryOutput = options->form == OutputForm::Binary;
    netcdfOutput = options->form == OutputForm::NetCdf;
    delimiter = delimiterChar;
    verboseLog = verbose;
    logSink = callback;
    return resultNumber(convertAnnouncedFile(defaultConversion(), dataFileName, calFileName));
}

int16_t processDatFile(const char* dataFileName, const char* calFileName)
{
    return resultNumber(convertData(defaultConversion(), dataFileName, calFileName));
}
