#include "conversion/processing.h"

#include "calibration/cal_table.h"
#include "calibration/level_processing.h"
#include "core/file_handle.h"
#include "core/file_path.h"
#include "core/regular_file.h"
#include "core/first_data.h"
#include "core/input_formats.h"
#include "core/page_buffer.h"
#include "core/pixel_count.h"
#include "conversion/output_formats.h"
#include "conversion/output_name.h"
#include "conversion/memory_dataset.h"
#include "conversion/netcdf_output.h"
#include "conversion/output_target.h"
#include "conversion/pending_output.h"
#include "core/temporary_file.h"
#include "conversion/row_pipeline.h"
#include "orvantis_version.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

// Stream buffer of the input, the output and the temporary file: the data
// moves to and from the file system in few large transfers.
constexpr std::size_t STREAM_BUFFER_SIZE = 256 * 1024;

// Everything processDatFile holds for one input file. The stream buffers come
// before the streams, so that they are released after the streams are closed.
struct FileConversion {
    explicit FileConversion(const Conversion& c)
        : conversion(c), log(c.log), transposing(c.options.transpose), binary(c.options.form == OutputForm::Binary),
          netcdf(c.options.form == OutputForm::NetCdf || c.memoryDataset), inMemory(c.memoryDataset != nullptr)
    {}

    const Conversion& conversion;
    const Log& log;
    const char* path = "";
    PageBuffer inputBuffer;
    PageBuffer outputBuffer;
    PageBuffer temporaryBuffer;
    FileHandle input;
    PendingOutput output;
    // Writes into the output's temporary by name, so it closes before the
    // temporary is put in place or removed.
    NetcdfOutput netcdfOutput;
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
    int32_t count = 0;        // a day of spectra at one a second exceeds 16 bits
    int32_t lost = 0;         // damaged spectra passed over
    int32_t unnormalised = 0; // written below the level asked, for want of an integration time
    long cutShortAt = -1;     // where the last spectrum, cut short by the end of the file, starts
    ResumeState resume;
    int writeError = 0; // the system's reason for the first failed write
    int64_t inputBytes = 0;
    bool transposing; // cleared when a pixel set change ends transposition
    const bool binary;
    const bool netcdf;
    const bool inMemory; // no file: the spectra go to the conversion's dataset
};

// How the loop over the spectra ended.
enum class LoopEnd { EndOfData, NoSpectrum, ProcessFailed, WriteFailed, Cancelled };

// Gives a freshly opened stream a large buffer; without memory for it the
// stream keeps its own.
void enlargeBuffer(std::FILE* stream, PageBuffer& buffer)
{
    buffer = pageBufferIfAvailable(STREAM_BUFFER_SIZE);
    if (buffer && std::setvbuf(stream, reinterpret_cast<char*>(bufferBytes(buffer)), _IOFBF, STREAM_BUFFER_SIZE) != 0)
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
bool writeTextHeader(const FileConversion& run, const char* calFileName)
{
    std::FILE* output = run.output.stream();
    bool written = std::fprintf(output, "Tidelume processed data file. Serial: %s Orvantis v%.2f\r\n",
                                run.conversion.identity.serial, OUTPUT_FILE_VERSION) >= 0;
    written = written && std::fprintf(output, "Source file: %s\r\n", printableName(run.path).c_str()) >= 0;
    written = written && std::fprintf(output, "Calibration file: %s\r\n", printableName(calFileName).c_str()) >= 0;
    if (const ChannelCal* cal = run.conversion.calTable().channelCal(run.channel))
        return written && std::fprintf(output, "Channel: %s, %s\r\n", cal->name, cal->units) >= 0;
    return written && std::fputs("Channel: ?, ?\r\n", output) >= 0;
}

// A text line that starts like a number but holds no spectrum: noise between
// spectra (a stray note, a bare number), not a lost spectrum.
void reportNotSpectrum(const FileConversion& run, const SpectrumRead& read)
{
    run.log.error("WARNING: %s: skipped a line at byte %ld that is not a spectrum\n", run.path, read.offset);
}

// A spectrum that could not be read whole is passed over and counted, so the
// file's result can tell that the output lacks it. The last one, cut short by
// the end of the file, is reported once the count of written spectra is
// known.
void reportDamaged(FileConversion& run, const SpectrumRead& read)
{
    if (read.result > 1)
        run.log.message("WARNING: readSpectrum returned %d\n", read.result);
    ++run.lost;
    if (read.outcome == ReadOutcome::CutShort)
        run.cutShortAt = read.offset;
    else
        run.log.error("%s: spectrum %d (byte %ld) is damaged and was skipped\n", run.path, run.count + run.lost,
                      read.offset);
}

// The next spectrum, past any text or record that holds none: true when one
// was read, false at the end of the data.
bool readNext(FileConversion& run)
{
    for (;;) {
        const SpectrumRead read = readSpectrumResuming(run.record, run.pixels.get(), run.input.get(), run.binaryInput,
                                                       run.format, run.log, run.resume);
        switch (read.outcome) {
        case ReadOutcome::NotSpectrum: reportNotSpectrum(run, read); break;
        case ReadOutcome::Damaged:
        case ReadOutcome::CutShort: reportDamaged(run, read); break;
        case ReadOutcome::Spectrum: return true;
        case ReadOutcome::EndOfData: return false;
        }
    }
}

// From here on only normal text rows go to the output: a worker writes them
// while this thread reads and calibrates.
void startRows(FileConversion& run)
{
    run.rows = RowPipeline::start(run.output.stream(), run.conversion.options.delimiter);
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
        if (first && writeHeader(run.conversion, run.channel, stored, run.output.stream()) != 0)
            return 1;
        first = false;
        const int16_t result = writeOutput(run.conversion, stored, values.get(), run.output.stream(), false);
        if (result != 0)
            return result;
    }
    return 0;
}

// Warns about a spectrum whose pixel set differs from the one before it.
// Transposition ends here; the spectra gathered so far become normal rows.
int16_t handlePixelSetChange(FileConversion& run)
{
    run.log.message(
        "WARNING: Spectrum %d in %s contains a different set of pixels\n         than the preceding spectra.",
        run.count, run.path);
    if (run.netcdf) {
        run.log.message("\nNOTE: Its values go to the NetCDF variables of its own pixel set.\n");
        return 0;
    }
    if (!run.transposing) {
        run.log.message(
            "WARNING: The wavelengths listed in the header\n         will not apply to all spectra in the file.\n");
        return 0;
    }
    run.log.message("WARNING: The output cannot be transposed.\n");
    run.transposing = false;
    const int16_t result = copyTemporaryAsRows(run);
    if (result == 0)
        startRows(run);
    return result;
}

// The NetCDF library's failure in the log, its system reason in errno.
int16_t netcdfFailed(const FileConversion& run)
{
    const NetcdfOutput& netcdf = run.netcdfOutput;
    run.log.message("WARNING: NetCDF output: %s\n", netcdf.error().c_str());
    errno = netcdf.systemError();
    return 1;
}

int16_t writeSpectrum(FileConversion& run)
{
    if (run.netcdf)
        return run.netcdfOutput.append(run.record, run.pixels.get()) ? 0 : netcdfFailed(run);
    if (run.rows)
        return writeOutput(run.log, run.record, run.pixels.get(), *run.rows);
    if (run.transposing)
        return writeOutput(run.conversion, run.record, run.pixels.get(), run.temporary.get(), true);
    return writeOutput(run.conversion, run.record, run.pixels.get(), run.output.stream(), run.binary);
}

// Keeps the reason of the first failed write; errno holds it right after
// the failed call.
LoopEnd writeFailed(FileConversion& run)
{
    if (run.writeError == 0)
        run.writeError = errno != 0 ? errno : EIO;
    return LoopEnd::WriteFailed;
}

// Tells the watcher how far the file has come; false when it stops the conversion.
bool reportProgress(const FileConversion& run)
{
    if (!run.conversion.progress)
        return true;
    const long position = std::ftell(run.input.get());
    return run.conversion.progress({run.count, position < 0 ? 0 : position, run.inputBytes});
}

// Reads, calibrates and writes every spectrum; a failed first read ends the
// file with no spectrum, since the record then holds unread fields.
LoopEnd convertSpectra(FileConversion& run)
{
    const int8_t level = run.conversion.options.level;
    run.record.channel = run.channel;
    if (!readNext(run)) {
        run.log.message("WARNING: readSpectrum returned 1\n"); // the end of the data, before any spectrum
        return LoopEnd::NoSpectrum;
    }
    run.previous = run.record;
    if (!run.transposing && !run.binary && !run.netcdf) {
        const int16_t result = writeHeader(run.conversion, run.channel, run.record, run.output.stream());
        if (result != 0) {
            run.log.message("WARNING: writeHeader returned %d\n", result);
            return writeFailed(run);
        }
        startRows(run);
    }
    for (;;) {
        run.log.debug("readSpectrum OK.\n");
        int16_t result =
            processSpectrum(run.record, run.pixels.get(), run.channel, level, run.conversion.calTable(), run.log);
        if (result != 0) {
            run.log.message("WARNING: processSpectrum returned %d\n", result);
            return LoopEnd::ProcessFailed;
        }
        run.log.debug("Process completed: %d %d\n", level, run.record.process);
        if (run.record.process < level)
            ++run.unnormalised;
        result = writeSpectrum(run);
        if (result != 0) {
            writeFailed(run);
            run.log.message("WARNING: writeOutput returned %d\n", result);
            return LoopEnd::WriteFailed;
        }
        ++run.count;
        if (run.count % PROGRESS_INTERVAL == 0 && !reportProgress(run))
            return LoopEnd::Cancelled;
        if (!readNext(run))
            return LoopEnd::EndOfData;
        run.log.debug("Output done.\n");
        if (!samePixelSet(run.record, run.previous)) {
            result = handlePixelSetChange(run);
            if (result != 0) {
                writeFailed(run);
                run.log.message("WARNING: writeOutput returned %d\n", result);
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
    if (run.netcdf) {
        if (run.netcdfOutput.finish())
            return true;
        netcdfFailed(run);
        writeFailed(run);
        return false;
    }
    if (!run.transposing)
        return true;
    if (!temporaryWhole(run.temporary.get())) {
        writeFailed(run);
        return false;
    }
    if (writeTransposed(run.conversion, run.temporary.get(), run.output.stream()) == 0)
        return true;
    if (std::ferror(run.output.stream()))
        writeFailed(run);
    return false;
}

// Logs why the output must not be written.
void reportRefusal(const Log& log, OutputRefusal refusal, const std::string& outputName)
{
    const char* name = outputName.c_str();
    switch (refusal) {
    case OutputRefusal::None: break;
    case OutputRefusal::IsDirectory:
        log.error("Error %d opening output file %s: %s\n", EISDIR, name, std::strerror(EISDIR));
        break;
    case OutputRefusal::NotRegularFile: log.error("Refusing to write %s: it is not a regular file\n", name); break;
    case OutputRefusal::IsSymbolicLink: log.error("%s is a symbolic link; not replaced\n", name); break;
    case OutputRefusal::IsInput: log.error("Refusing to write %s: it is the input file itself\n", name); break;
    case OutputRefusal::IsCalibration: log.error("Refusing to write %s: it is the calibration file\n", name); break;
    case OutputRefusal::IsDataFile:
        log.error("Refusing to write %s: it is a Tidelume data file, not an output; not replaced\n", name);
        break;
    }
}

// Why the output's temporary cannot be made beside it: the folder is the
// problem when it refuses new files.
void reportOutputOpenError(const Log& log, int error, const std::string& outputName)
{
    const std::string folder = utf8FromPath(pathFromUtf8(outputName).parent_path());
    if (error == EACCES || error == EPERM || error == EROFS)
        log.error("Error %d opening output file %s: %s (no new file can be made in the folder %s)\n", error,
                  outputName.c_str(), std::strerror(error), folder.empty() ? "." : folder.c_str());
    else
        log.error("Error %d opening output file %s: %s\n", error, outputName.c_str(), std::strerror(error));
}

// The spectra written, then those lost to damage, if any: a last spectrum
// cut short on its one line, and a total when others were lost too.
void logSpectrumCount(const FileConversion& run)
{
    if (run.count == 1)
        run.log.message("1 spectrum.\n");
    else
        run.log.message("%d spectra.\n", run.count);
    const bool cutShort = run.cutShortAt >= 0;
    if (cutShort)
        run.log.error("%s: last spectrum cut short at byte %ld and skipped; %d %s written\n", run.path, run.cutShortAt,
                      run.count, run.count == 1 ? "spectrum" : "spectra");
    if (run.lost == 1 && !cutShort)
        run.log.error("%s: 1 damaged spectrum was skipped\n", run.path);
    else if (run.lost > 1)
        run.log.error("%s: %d damaged spectra were skipped\n", run.path, run.lost);
}

FileResult failure(ConversionOutcome outcome, int systemError = 0)
{
    return {outcome, systemError};
}

// Puts the finished output in place, or leaves the previous one as it was.
FileResult settleOutput(FileConversion& run, LoopEnd end, const std::string& outputName)
{
    if (end == LoopEnd::Cancelled) {
        if (run.inMemory) // the spectra converted before the stop are the caller's
            finishOutput(run);
        run.log.message("Conversion of %s cancelled: %s not written\n", run.path, outputName.c_str());
        return failure(ConversionOutcome::Cancelled);
    }
    if (end != LoopEnd::WriteFailed && !finishOutput(run) && run.writeError == 0)
        return failure(ConversionOutcome::NotWritten); // the temporary file could not be read back; already reported
    if (run.writeError == 0 && run.count == 0) {
        logSpectrumCount(run);
        run.log.error("No spectrum converted: %s not written\n", outputName.c_str());
        return failure(ConversionOutcome::NotWritten);
    }
    if (run.writeError == 0 && !run.inMemory)
        run.writeError = run.output.commit();
    if (run.writeError != 0) {
        run.log.error("Error writing output file %s: %s; not written\n", outputName.c_str(),
                      std::strerror(run.writeError));
        return failure(ConversionOutcome::SystemFailure, run.writeError);
    }
    logSpectrumCount(run);
    FileResult written;
    written.spectra = run.count;
    written.unnormalised = run.unnormalised;
    if (end == LoopEnd::EndOfData) {
        written.outcome = run.lost == 0 ? ConversionOutcome::Converted : ConversionOutcome::SpectraSkipped;
        return written;
    }
    run.log.error("Conversion of %s stopped at spectrum %d: the output holds the spectra before it\n", run.path,
                  run.count);
    written.outcome = ConversionOutcome::StoppedEarly;
    return written;
}

// Warns when the calibration in use is another instrument's.
void warnOnForeignCalibration(const Conversion& conversion, const char* dataFileName, const char* calFileName)
{
    const ChannelCal* cal = conversion.calTable().channelCal(conversion.identity.channel);
    if (!cal)
        return;
    const char* dataSerial = conversion.identity.serial;
    if (cal->serial[0] == '\0')
        conversion.log.message(
            "WARNING: Calibration file %s names no Tidelume serial number, %s is from Tidelume #%s\n", calFileName,
            dataFileName, dataSerial);
    else if (!sameSerial(cal->serial, dataSerial))
        conversion.log.message("WARNING: Calibration file %s is for Tidelume #%s, %s is from Tidelume #%s\n",
                               calFileName, cal->serial, dataFileName, dataSerial);
}

NetcdfProvenance provenance(const FileConversion& run, const char* calFileName)
{
    const Conversion& conversion = run.conversion;
    NetcdfProvenance p;
    p.sourceFile = run.path;
    p.calFile = calFileName;
    p.serial = conversion.identity.serial;
    p.channelName = conversion.identity.channelName;
    p.channel = run.channel;
    p.level = conversion.options.level;
    p.calibration = &conversion.calTable();
    p.command = conversion.command;
    p.metadata = conversion.options.netcdf;
    return p;
}

int64_t fileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return 0;
    const long size = std::ftell(file);
    std::rewind(file);
    return size < 0 ? 0 : size;
}

// The library writes the output's temporary by its name, creating it anew.
void createNetcdf(FileConversion& run, const char* calFileName)
{
    bool created = false;
    const int stopped = run.output.createAgainByName([&](const std::string& temporary) {
        created = run.netcdfOutput.create(temporary, provenance(run, calFileName));
    });
    if (created)
        return;
    if (stopped == 0)
        netcdfFailed(run);
    else
        errno = stopped;
    writeFailed(run);
}

// Opens the output's temporary and writes what goes before the spectra.
// The file's result when it ends here.
std::optional<FileResult> startOutput(FileConversion& run, const std::string& outputName, const char* calFileName)
{
    const Log& log = run.log;
    if (run.inMemory) {
        if (!run.netcdfOutput.createInMemory(*run.conversion.memoryDataset, provenance(run, calFileName))) {
            netcdfFailed(run);
            writeFailed(run);
        }
        return std::nullopt;
    }
    const OutputRefusal refusal = refuseOutput(outputName, run.path, calFileName);
    if (refusal != OutputRefusal::None) {
        reportRefusal(log, refusal, outputName);
        return refusal == OutputRefusal::IsDirectory ? failure(ConversionOutcome::SystemFailure, EISDIR)
                                                     : failure(ConversionOutcome::NotWritten);
    }
    // Binary mode throughout: text lines carry their CR LF explicitly.
    if (const int error = run.output.open(outputName, *run.conversion.staleTemporaries); error != 0) {
        reportOutputOpenError(log, error, outputName);
        return failure(ConversionOutcome::SystemFailure, error);
    }
    enlargeBuffer(run.output.stream(), run.outputBuffer);
    log.message("-> %s \n", outputName.c_str());
    if (run.netcdf)
        createNetcdf(run, calFileName);
    if (!run.binary && !run.netcdf && !writeTextHeader(run, calFileName))
        writeFailed(run);

    // Only the transposition uses it: without one, any other output is
    // whole, and an error about it would stand beside a file converted.
    if (!run.transposing)
        return std::nullopt;
    run.temporary.reset(openTemporaryFile());
    if (!run.temporary) {
        const int error = errno;
        log.error("ERROR opening temporary file.\n");
        // Rows in place of the table asked for would pass for a good output.
        log.error("%s cannot be transposed without it (%s): %s not written\n", run.path, std::strerror(error),
                  outputName.c_str());
        return failure(ConversionOutcome::SystemFailure, error);
    }
    enlargeBuffer(run.temporary.get(), run.temporaryBuffer);
    return std::nullopt;
}

} // namespace

std::optional<ConversionOptions> announceConversion(const Log& log, const char* dataFileName,
                                                    const ConversionOptions& requested)
{
    log.message("Data file name: %s\n", dataFileName);
    log.message("Processing level:    %d", requested.level);
    const char* levelText = processLevelText(requested.level);
    if (!levelText) {
        log.error("invalid processing level\n");
        return std::nullopt;
    }
    log.message("%s", levelText);
    ConversionOptions options = requested;
    if (options.form == OutputForm::Binary && options.transpose) {
        log.message("NOTE: Binary output cannot be transposed.\n");
        options.transpose = false;
    }
    if (options.form == OutputForm::NetCdf && options.transpose) {
        log.message("NOTE: NetCDF output cannot be transposed.\n");
        options.transpose = false;
    }
    log.message("Tranposition:        ");
    log.message(options.transpose ? "on\n" : "off\n");
    return options;
}

FileResult convertFile(const Conversion& conversion, const std::string& dataFileName, const std::string& calFileName)
{
    const std::optional<ConversionOptions> options =
        announceConversion(conversion.log, dataFileName.c_str(), conversion.options);
    if (!options)
        return failure(ConversionOutcome::InvalidLevel);
    Conversion announced = conversion;
    announced.options = *options;
    return convertAnnouncedFile(announced, dataFileName.c_str(), calFileName.c_str());
}

FileResult convertAnnouncedFile(const Conversion& conversion, const char* dataFileName, const char* calFileName)
{
    conversion.log.debug("Ready to process.\n");
    warnOnForeignCalibration(conversion, dataFileName, calFileName);
    const FileResult result = convertData(conversion, dataFileName, calFileName);
    if (result.outcome == ConversionOutcome::NotWritten || result.outcome == ConversionOutcome::SystemFailure)
        conversion.log.error("No files processed.\n");
    return result;
}

FileResult convertData(const Conversion& conversion, const char* dataFileName, const char* calFileName)
{
    FileConversion run(conversion);
    const Log& log = run.log;
    run.path = dataFileName;
    log.debug("opening %s\n", dataFileName);
    run.input.reset(openRegularFile(dataFileName));
    if (!run.input) {
        const int error = errno;
        log.error("Error %d opening input file %s: %s\n", error, dataFileName, openErrorText(error).c_str());
        return failure(ConversionOutcome::SystemFailure, error);
    }
    enlargeBuffer(run.input.get(), run.inputBuffer);
    run.inputBytes = fileSize(run.input.get());
    log.debug("file open\n");

    const std::string outputName = conversion.outputPath.empty()
                                       ? outputFileName(dataFileName, conversion.options.level, conversion.options.form)
                                       : conversion.outputPath;
    run.channel = static_cast<int8_t>(conversion.identity.channel);
    if (const std::optional<FileResult> ended = startOutput(run, outputName, calFileName))
        return *ended;

    const DataKind kind = findFirstData(run.input.get(), log);
    if (kind == DataKind::None) {
        log.error("No data found in %s: %s not written\n", dataFileName, outputName.c_str());
        return failure(ConversionOutcome::NotWritten);
    }
    run.pixels.reset(new (std::nothrow) float[MAX_PIXELS]());
    if (!run.pixels) {
        log.error("Unable to allocate pixel array in processDatFile().\n");
        return failure(ConversionOutcome::NotWritten);
    }
    run.binaryInput = kind == DataKind::Binary ? 1 : 0;
    run.format = run.binaryInput ? 2 : detectSpectrumFormat(run.input.get(), log);
    log.debug("File format: %d\n", run.format);

    const LoopEnd end = run.writeError != 0 ? LoopEnd::WriteFailed : convertSpectra(run);
    return settleOutput(run, end, outputName);
}
