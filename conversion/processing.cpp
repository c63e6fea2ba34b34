#include "conversion/processing.h"

#include "calibration/cal_table.h"
#include "calibration/spectrum_calibration.h"
#include "core/file_handle.h"
#include "core/file_path.h"
#include "core/regular_file.h"
#include "core/input_formats.h"
#include "core/pixel_count.h"
#include "conversion/output_formats.h"
#include "conversion/output_name.h"
#include "conversion/netcdf_output.h"
#include "conversion/output_target.h"
#include "conversion/pending_output.h"
#include "conversion/progress.h"
#include "core/processing_state.h"
#include "core/temporary_file.h"
#include "conversion/row_pipeline.h"
#include "core/text_line.h"
#include "orvantis_version.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

namespace {

enum class DataKind { None, Text, Binary };

// Stream buffer of the input, the output and the temporary file: the data
// moves to and from the file system in few large transfers.
constexpr std::size_t STREAM_BUFFER_SIZE = 256 * 1024;

// Everything processDatFile holds for one input file. The stream buffers come
// before the streams, so that they are released after the streams are closed.
struct FileConversion {
    const char* path = "";
    std::unique_ptr<char[]> inputBuffer;
    std::unique_ptr<char[]> outputBuffer;
    std::unique_ptr<char[]> temporaryBuffer;
    FileHandle input;
    PendingOutput output;
    // Writes into the output's temporary by name, so it closes before the
    // temporary is put in place or removed.
    NetcdfOutput netcdf;
    FileHandle temporary;
    // Writes the normal text rows once the rows are all that is left to
    // write; it goes before the output is closed.
    std::unique_ptr<RowPipeline> rows;
    std::unique_ptr<float[]> pixels;
    SpectrumRecord record{};
    SpectrumRecord previous{};
    int8_t channel = 0;
    int binaryInput = 0;
    int format = 0;
    int32_t count = 0;  // a day of spectra at one a second exceeds 16 bits
    int32_t lost = 0;   // damaged spectra passed over
    int writeError = 0; // the system's reason for the first failed write
};

// How the loop over the spectra ended.
enum class LoopEnd { EndOfData, ReadFailed, ProcessFailed, WriteFailed, Cancelled };

// Gives a freshly opened stream a large buffer; without memory for it the
// stream keeps its own.
void enlargeBuffer(std::FILE* stream, std::unique_ptr<char[]>& buffer)
{
    buffer.reset(new (std::nothrow) char[STREAM_BUFFER_SIZE]);
    if (buffer && std::setvbuf(stream, buffer.get(), _IOFBF, STREAM_BUFFER_SIZE) != 0)
        buffer.reset();
}

// A file name as one header line can hold it: a control character (a line
// end, say) would break the header's shape, so it becomes '?'.
std::string printableName(const char* name)
{
    std::string text = name;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return text;
}

// false when a write failed (errno tells why).
bool writeTextHeader(std::FILE* output, const char* dataFileName, const char* calFileName, int channel)
{
    bool written = std::fprintf(output, "Tidelume processed data file. Serial: %s Orvantis v%.2f\r\n", dataSerial,
                                OUTPUT_FILE_VERSION) >= 0;
    written = written && std::fprintf(output, "Source file: %s\r\n", printableName(dataFileName).c_str()) >= 0;
    written = written && std::fprintf(output, "Calibration file: %s\r\n", printableName(calFileName).c_str()) >= 0;
    const ChannelCal* cal = channel >= 0 && channel < MAX_CHANNELS ? calTable[channel].cal.get() : nullptr;
    if (cal)
        return written && std::fprintf(output, "Channel: %s, %s\r\n", cal->name, cal->units) >= 0;
    return written && std::fputs("Channel: ?, ?\r\n", output) >= 0;
}

bool isTextDataStart(int c)
{
    return c == '.' || c == '-' || std::isdigit(c);
}

// Consumes blanks and tabs; true when nothing but the line end follows.
bool restOfLineBlank(std::FILE* input)
{
    int c;
    do
        c = std::fgetc(input);
    while (c == ' ' || c == '\t');
    if (c == EOF)
        return true;
    std::ungetc(c, input);
    return c == '\r' || c == '\n';
}

// Passes over the header lines to the first data character. Blank lines are
// passed over on their own, so that the line after them is still looked at.
DataKind findFirstData(std::FILE* input)
{
    std::rewind(input);
    char line[256];
    for (;;) {
        const int c = std::fgetc(input);
        if (c == EOF)
            return DataKind::None;
        std::ungetc(c, input);
        if (isTextDataStart(c))
            return DataKind::Text;
        if (c == 0x0F)
            return DataKind::Binary;
        if (c == '\r' || c == '\n') {
            std::fgetc(input);
            continue;
        }
        if ((c == ' ' || c == '\t') && restOfLineBlank(input))
            continue;
        if (readTextLine(line, sizeof line, input))
            logDebug("scan line: %s\n", line);
    }
}

// A text line that starts like a number but holds no spectrum: noise between
// spectra (a stray note, a bare number), not a lost spectrum.
void reportNotSpectrum(const FileConversion& run, const SpectrumRead& read)
{
    logError("WARNING: %s: skipped a line at byte %ld that is not a spectrum\n", run.path, read.lineOffset);
}

// A spectrum that could not be read whole is passed over and counted, so the
// file's result can tell that the output lacks it.
void reportDamaged(FileConversion& run, const SpectrumRead& read)
{
    if (read.result > 1)
        logMessage("WARNING: readSpectrum returned %d\n", read.result);
    ++run.lost;
    logError("%s: spectrum %d (byte %ld) is damaged and was skipped\n", run.path, run.count + run.lost,
             read.lineOffset);
}

// The next spectrum, past any text that holds none: 0 when one was read, 1
// at the end of the data, else the error of a binary record that stops the
// file.
int16_t readNext(FileConversion& run)
{
    for (;;) {
        const SpectrumRead read =
            readSpectrumResuming(run.record, run.pixels.get(), run.input.get(), run.binaryInput, run.format);
        switch (read.outcome) {
        case ReadOutcome::NotSpectrum: reportNotSpectrum(run, read); break;
        case ReadOutcome::Damaged: reportDamaged(run, read); break;
        case ReadOutcome::Spectrum:
        case ReadOutcome::EndOfData:
        case ReadOutcome::Stopped: return read.result;
        }
    }
}

// From here on only normal text rows go to the output: a worker writes them
// while this thread reads and calibrates.
void startRows(FileConversion& run)
{
    run.rows = RowPipeline::start(run.output.stream(), delimiter);
}

// Whether everything written to the temporary file reached it; when not,
// errno tells why. Reading it back must not begin before this is known.
bool temporaryWhole(std::FILE* temporary)
{
    if (std::fflush(temporary) != 0)
        return false;
    if (!std::ferror(temporary))
        return true;
    errno = EIO;
    return false;
}

// Writes the spectra held in the temporary file as normal rows, after the
// column header of the first of them. 0 when done, else the failed write's
// result.
int16_t copyTemporaryAsRows(FileConversion& run)
{
    std::FILE* temporary = run.temporary.get();
    if (!temporaryWhole(temporary))
        return 1;
    std::rewind(temporary);
    const auto values = std::make_unique<float[]>(MAX_PIXELS);
    unsigned char bytes[MAX_PIXELS * sizeof(float)];
    bool first = true;
    while (std::fread(bytes, SPECTRUM_RECORD_SIZE, 1, temporary) == 1) {
        const SpectrumRecord stored = decodeRecord(bytes);
        const auto count = static_cast<std::size_t>(storedPixelCount(stored));
        if (std::fread(bytes, sizeof(float), count, temporary) != count)
            break;
        decodeFloatsLE(bytes, count, values.get());
        if (first && writeHeader(run.channel, stored, run.output.stream()) != 0)
            return 1;
        first = false;
        const int16_t result = writeOutput(stored, values.get(), run.output.stream(), 0);
        if (result != 0)
            return result;
    }
    return 0;
}

// Warns about a spectrum whose pixel set differs from the one before it.
// Transposition ends here; the spectra gathered so far become normal rows.
int16_t handlePixelSetChange(FileConversion& run)
{
    logMessage("WARNING: Spectrum %d in %s contains a different set of pixels\n         than the preceding spectra.",
               run.count, run.path);
    if (netcdfOutput) {
        logMessage("\nNOTE: Its values go to the NetCDF variables of its own pixel set.\n");
        return 0;
    }
    if (!transposeOutput) {
        logMessage(
            "WARNING: The wavelengths listed in the header\n         will not apply to all spectra in the file.\n");
        return 0;
    }
    logMessage("WARNING: The output cannot be transposed.\n");
    transposeOutput = 0;
    const int16_t result = copyTemporaryAsRows(run);
    if (result == 0)
        startRows(run);
    return result;
}

// The NetCDF library's failure in the log, its system reason in errno.
int16_t netcdfFailed(const NetcdfOutput& netcdf)
{
    logMessage("WARNING: NetCDF output: %s\n", netcdf.error().c_str());
    errno = netcdf.systemError();
    return 1;
}

int16_t writeSpectrum(FileConversion& run)
{
    if (netcdfOutput)
        return run.netcdf.append(run.record, run.pixels.get()) ? 0 : netcdfFailed(run.netcdf);
    if (run.rows)
        return writeOutput(run.record, run.pixels.get(), *run.rows);
    if (transposeOutput)
        return writeOutput(run.record, run.pixels.get(), run.temporary.get(), 1);
    return writeOutput(run.record, run.pixels.get(), run.output.stream(), binaryOutput);
}

// Keeps the reason of the first failed write; errno holds it right after
// the failed call.
LoopEnd writeFailed(FileConversion& run)
{
    if (run.writeError == 0)
        run.writeError = errno != 0 ? errno : EIO;
    return LoopEnd::WriteFailed;
}

// Reads, calibrates and writes every spectrum; a failed first read ends the
// file with no spectrum, since the record then holds unread fields.
LoopEnd convertSpectra(FileConversion& run)
{
    run.record.channel = run.channel;
    int16_t result = readNext(run);
    if (result != 0) {
        logMessage("WARNING: readSpectrum returned %d\n", result);
        return LoopEnd::ReadFailed;
    }
    run.previous = run.record;
    if (!transposeOutput && !binaryOutput && !netcdfOutput) {
        result = writeHeader(run.channel, run.record, run.output.stream());
        if (result != 0) {
            logMessage("WARNING: writeHeader returned %d\n", result);
            return writeFailed(run);
        }
        startRows(run);
    }
    for (;;) {
        logDebug("readSpectrum OK.\n");
        result = processSpectrum(run.record, run.pixels.get(), run.channel, processLevel);
        if (result != 0) {
            logMessage("WARNING: processSpectrum returned %d\n", result);
            return LoopEnd::ProcessFailed;
        }
        logDebug("Process completed: %d %d\n", processLevel, run.record.process);
        result = writeSpectrum(run);
        if (result != 0) {
            writeFailed(run);
            logMessage("WARNING: writeOutput returned %d\n", result);
            return LoopEnd::WriteFailed;
        }
        ++run.count;
        if (progressSink && run.count % PROGRESS_INTERVAL == 0 && !progressSink(run.count))
            return LoopEnd::Cancelled;
        result = readNext(run);
        if (result == 1)
            return LoopEnd::EndOfData;
        if (result != 0) {
            logMessage("WARNING: readSpectrum returned %d\n", result);
            return LoopEnd::ReadFailed;
        }
        logDebug("Output done.\n");
        if (!samePixelSet(run.record, run.previous)) {
            result = handlePixelSetChange(run);
            if (result != 0) {
                writeFailed(run);
                logMessage("WARNING: writeOutput returned %d\n", result);
                return LoopEnd::WriteFailed;
            }
        }
        run.previous = run.record;
    }
}

// Finishes what the loop left for the end: the rows still on their way, or
// the transposed table. false when the output is not complete.
bool finishOutput(FileConversion& run)
{
    if (run.rows && run.rows->finish() != 0) {
        writeFailed(run);
        return false;
    }
    run.rows.reset();
    if (netcdfOutput) {
        if (run.netcdf.finish())
            return true;
        netcdfFailed(run.netcdf);
        writeFailed(run);
        return false;
    }
    if (!transposeOutput)
        return true;
    if (!temporaryWhole(run.temporary.get())) {
        writeFailed(run);
        return false;
    }
    if (writeTransposed(run.temporary.get(), run.output.stream()) == 0)
        return true;
    if (std::ferror(run.output.stream()))
        writeFailed(run);
    return false;
}

// Logs why the output must not be written.
void reportRefusal(OutputRefusal refusal, const std::string& outputName)
{
    const char* name = outputName.c_str();
    switch (refusal) {
    case OutputRefusal::None: break;
    case OutputRefusal::IsDirectory:
        logError("Error %d opening output file %s: %s\n", EISDIR, name, std::strerror(EISDIR));
        break;
    case OutputRefusal::NotRegularFile: logError("Refusing to write %s: it is not a regular file\n", name); break;
    case OutputRefusal::IsSymbolicLink: logError("%s is a symbolic link; not replaced\n", name); break;
    case OutputRefusal::IsInput: logError("Refusing to write %s: it is the input file itself\n", name); break;
    case OutputRefusal::IsCalibration: logError("Refusing to write %s: it is the calibration file\n", name); break;
    case OutputRefusal::IsDataFile:
        logError("Refusing to write %s: it is a Tidelume data file, not an output; not replaced\n", name);
        break;
    }
}

// Why the output's temporary cannot be made beside it: the folder is the
// problem when it refuses new files.
void reportOutputOpenError(int error, const std::string& outputName)
{
    const std::string folder = utf8FromPath(pathFromUtf8(outputName).parent_path());
    if (error == EACCES || error == EPERM || error == EROFS)
        logError("Error %d opening output file %s: %s (no new file can be made in the folder %s)\n", error,
                 outputName.c_str(), std::strerror(error), folder.empty() ? "." : folder.c_str());
    else
        logError("Error %d opening output file %s: %s\n", error, outputName.c_str(), std::strerror(error));
}

// The spectra written, then those lost to damage, if any.
void logSpectrumCount(const FileConversion& run)
{
    if (run.count == 1)
        logMessage("1 spectrum.\n");
    else
        logMessage("%d spectra.\n", run.count);
    if (run.lost == 1)
        logError("%s: 1 damaged spectrum was skipped\n", run.path);
    else if (run.lost > 1)
        logError("%s: %d damaged spectra were skipped\n", run.path, run.lost);
}

// Puts the finished output in place, or leaves the previous one as it was.
// The file's result.
int16_t settleOutput(FileConversion& run, LoopEnd end, const std::string& outputName)
{
    if (end == LoopEnd::Cancelled) {
        logMessage("Conversion of %s cancelled: %s not written\n", run.path, outputName.c_str());
        return CANCELLED;
    }
    if (end != LoopEnd::WriteFailed && !finishOutput(run) && run.writeError == 0)
        return 1; // the temporary file could not be read back; already reported
    if (run.writeError == 0 && run.count == 0) {
        logSpectrumCount(run);
        logError("No spectrum converted: %s not written\n", outputName.c_str());
        return 1;
    }
    if (run.writeError == 0)
        run.writeError = run.output.commit();
    if (run.writeError != 0) {
        logError("Error writing output file %s: %s; not written\n", outputName.c_str(), std::strerror(run.writeError));
        return static_cast<int16_t>(run.writeError);
    }
    logSpectrumCount(run);
    if (end == LoopEnd::EndOfData)
        return run.lost == 0 ? 0 : SPECTRA_SKIPPED;
    logError("Conversion of %s stopped at spectrum %d: the output holds the spectra before it\n", run.path, run.count);
    return STOPPED_EARLY;
}

// Warns when the calibration in use is another instrument's.
void warnOnForeignCalibration(const char* dataFileName, const char* calFileName)
{
    if (chanIndex < 0 || chanIndex >= MAX_CHANNELS || !calTable[chanIndex].cal)
        return;
    const char* calSerial = calTable[chanIndex].cal->serial;
    const auto sameLetter = [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); };
    const std::string_view a = calSerial;
    const std::string_view b = dataSerial;
    if (a.empty())
        logMessage("WARNING: Calibration file %s names no Tidelume serial number, %s is from Tidelume #%s\n",
                   calFileName, dataFileName, dataSerial);
    else if (!std::equal(a.begin(), a.end(), b.begin(), b.end(), sameLetter))
        logMessage("WARNING: Calibration file %s is for Tidelume #%s, %s is from Tidelume #%s\n", calFileName,
                   calSerial, dataFileName, dataSerial);
}

NetcdfProvenance provenance(const FileConversion& run, const char* calFileName)
{
    NetcdfProvenance p;
    p.sourceFile = run.path;
    p.calFile = calFileName;
    p.serial = dataSerial;
    p.channelName = dataChanName;
    p.channel = run.channel;
    p.level = processLevel;
    return p;
}

} // namespace

int calibrateFile(const char* dataFileName, const char* calFileName, int8_t level, int transpose, int form,
                  char delimiterChar, int16_t verbose, LogCallback callback)
{
    logMessage("Data file name: %s\n", dataFileName);
    logMessage("Processing level:    %d", level);
    const char* levelText = processLevelText(level);
    if (!levelText) {
        logError("invalid processing level\n");
        return 1;
    }
    logMessage("%s", levelText);
    processLevel = level;
    transposeOutput = transpose;
    binaryOutput = form == static_cast<int>(OutputForm::Binary);
    netcdfOutput = form == static_cast<int>(OutputForm::NetCdf);
    if (binaryOutput && transposeOutput) {
        logMessage("NOTE: Binary output cannot be transposed.\n");
        transposeOutput = 0;
    }
    if (netcdfOutput && transposeOutput) {
        logMessage("NOTE: NetCDF output cannot be transposed.\n");
        transposeOutput = 0;
    }
    logMessage("Tranposition:        ");
    logMessage(transposeOutput ? "on\n" : "off\n");
    delimiter = delimiterChar;
    verboseLog = verbose;
    logSink = callback;
    logDebug("Ready to process.\n");
    warnOnForeignCalibration(dataFileName, calFileName);
    const int16_t result = processDatFile(dataFileName, calFileName);
    if (result != 0 && result != STOPPED_EARLY && result != SPECTRA_SKIPPED && result != CANCELLED)
        logError("No files processed.\n");
    return result;
}

int16_t processDatFile(const char* dataFileName, const char* calFileName)
{
    FileConversion run;
    run.path = dataFileName;
    logDebug("opening %s\n", dataFileName);
    run.input.reset(openRegularFile(dataFileName));
    if (!run.input) {
        const int error = errno;
        logError("Error %d opening input file %s: %s\n", error, dataFileName, openErrorText(error).c_str());
        return static_cast<int16_t>(error);
    }
    enlargeBuffer(run.input.get(), run.inputBuffer);
    logDebug("file open\n");

    const std::string outputName =
        outputFileName(dataFileName, processLevel, chosenOutputForm(binaryOutput != 0, netcdfOutput != 0));
    run.channel = static_cast<int8_t>(chanIndex);
    const OutputRefusal refusal = refuseOutput(outputName, dataFileName, calFileName);
    if (refusal != OutputRefusal::None) {
        reportRefusal(refusal, outputName);
        return refusal == OutputRefusal::IsDirectory ? static_cast<int16_t>(EISDIR) : int16_t{1};
    }
    // Binary mode throughout: text lines carry their CR LF explicitly.
    if (const int error = run.output.open(outputName); error != 0) {
        reportOutputOpenError(error, outputName);
        return static_cast<int16_t>(error);
    }
    enlargeBuffer(run.output.stream(), run.outputBuffer);
    logMessage("-> %s \n", outputName.c_str());
    if (netcdfOutput && !run.netcdf.create(run.output.temporaryPath(), provenance(run, calFileName))) {
        netcdfFailed(run.netcdf);
        writeFailed(run);
    }
    if (!binaryOutput && !netcdfOutput && !writeTextHeader(run.output.stream(), dataFileName, calFileName, run.channel))
        writeFailed(run);

    run.temporary.reset(openTemporaryFile());
    if (!run.temporary) {
        const int error = errno;
        logError("ERROR opening temporary file.\n");
        // Rows in place of the table asked for would pass for a good output.
        if (transposeOutput) {
            logError("%s cannot be transposed without it (%s): %s not written\n", dataFileName, std::strerror(error),
                     outputName.c_str());
            return static_cast<int16_t>(error);
        }
    } else if (transposeOutput) {
        enlargeBuffer(run.temporary.get(), run.temporaryBuffer);
    }

    const DataKind kind = findFirstData(run.input.get());
    if (kind == DataKind::None) {
        logError("No data found in %s: %s not written\n", dataFileName, outputName.c_str());
        return 1;
    }
    run.pixels.reset(new (std::nothrow) float[MAX_PIXELS]());
    if (!run.pixels) {
        logError("Unable to allocate pixel array in processDatFile().\n");
        return 1;
    }
    run.binaryInput = kind == DataKind::Binary ? 1 : 0;
    run.format = run.binaryInput ? 2 : detectSpectrumFormat(run.input.get());
    logDebug("File format: %d\n", run.format);

    const LoopEnd end = run.writeError != 0 ? LoopEnd::WriteFailed : convertSpectra(run);
    return settleOutput(run, end, outputName);
}
