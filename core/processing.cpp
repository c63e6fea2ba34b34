#include "core/processing.h"

#include "calibration/cal_table.h"
#include "calibration/spectrum_calibration.h"
#include "core/file_handle.h"
#include "core/input_formats.h"
#include "core/output_formats.h"
#include "core/output_name.h"
#include "core/processing_state.h"
#include "core/row_pipeline.h"
#include "core/text_line.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>
#include <new>
#include <string>

namespace {

// The version number that text output headers carry.
constexpr double OUTPUT_VERSION = 1.31;

enum class DataKind { None, Text, Binary };

// Stream buffer of the input, the output and the temporary file: the data
// moves to and from the file system in few large transfers.
constexpr std::size_t STREAM_BUFFER_SIZE = 256 * 1024;

// Everything processDatFile holds for one input file. The stream buffers come
// before the streams, so that they are released after the streams are closed.
struct FileRun {
    const char* path = "";
    std::unique_ptr<char[]> inputBuffer;
    std::unique_ptr<char[]> outputBuffer;
    std::unique_ptr<char[]> temporaryBuffer;
    FileHandle input;
    FileHandle output;
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
    int32_t count = 0; // a day of spectra at one a second exceeds 16 bits
};

// Gives a freshly opened stream a large buffer; without memory for it the
// stream keeps its own.
void enlargeBuffer(std::FILE* stream, std::unique_ptr<char[]>& buffer)
{
    buffer.reset(new (std::nothrow) char[STREAM_BUFFER_SIZE]);
    if (buffer && std::setvbuf(stream, buffer.get(), _IOFBF, STREAM_BUFFER_SIZE) != 0)
        buffer.reset();
}

void writeTextHeader(std::FILE* output, const char* dataFileName, const char* calFileName, int channel)
{
    std::fprintf(output, "Tidelume processed data file. Serial: %s Orvantis v%.2f\r\n", dataSerial, OUTPUT_VERSION);
    std::fprintf(output, "Source file: %s\r\n", dataFileName);
    std::fprintf(output, "Calibration file: %s\r\n", calFileName);
    const ChannelCal* cal = channel >= 0 && channel < MAX_CHANNELS ? calTable[channel].cal.get() : nullptr;
    if (cal)
        std::fprintf(output, "Channel: %s, %s\r\n", cal->name, cal->units);
    else
        std::fputs("Channel: ?, ?\r\n", output);
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

int16_t readNext(FileRun& run)
{
    return readSpectrum(run.record, run.pixels.get(), run.input.get(), run.binaryInput, run.format);
}

// From here on only normal text rows go to the output: a worker writes them
// while this thread reads and calibrates.
void startRows(FileRun& run)
{
    run.rows = RowPipeline::start(run.output.get(), delimiter);
}

// Writes the spectra held in the temporary file as normal rows, after the
// column header of the first of them. 0 when done, else writeOutput's result.
int16_t copyTemporaryAsRows(FileRun& run)
{
    std::FILE* temporary = run.temporary.get();
    std::rewind(temporary);
    const auto values = std::make_unique<float[]>(MAX_PIXELS);
    unsigned char bytes[MAX_PIXELS * sizeof(float)];
    bool first = true;
    while (std::fread(bytes, SPECTRUM_RECORD_SIZE, 1, temporary) == 1) {
        const SpectrumRecord stored = decodeRecord(bytes);
        const auto count = static_cast<std::size_t>(std::clamp<int>(stored.numPix, 0, MAX_PIXELS));
        if (std::fread(bytes, sizeof(float), count, temporary) != count)
            break;
        decodeFloatsLE(bytes, count, values.get());
        if (first)
            writeHeader(run.channel, stored, run.output.get());
        first = false;
        const int16_t result = writeOutput(stored, values.get(), run.output.get(), 0);
        if (result != 0)
            return result;
    }
    return 0;
}

// Warns about a spectrum whose pixel set differs from the one before it.
// Transposition ends here; the spectra gathered so far become normal rows.
int16_t handlePixelSetChange(FileRun& run)
{
    logMessage("WARNING: Spectrum %d in %s contains a different set of pixels\n         than the preceding spectra.",
               run.count, run.path);
    if (!transposeOutput) {
        logMessage("WARNING: The wavelengths listed in the header\n         will not apply to all spectra in the file.\n");
        return 0;
    }
    logMessage("WARNING: The output cannot be transposed.\n");
    transposeOutput = 0;
    const int16_t result = copyTemporaryAsRows(run);
    if (result == 0)
        startRows(run);
    return result;
}

int16_t writeSpectrum(FileRun& run)
{
    if (run.rows)
        return writeOutput(run.record, run.pixels.get(), *run.rows);
    if (transposeOutput)
        return writeOutput(run.record, run.pixels.get(), run.temporary.get(), 1);
    return writeOutput(run.record, run.pixels.get(), run.output.get(), binaryOutput);
}

// Reads, calibrates and writes every spectrum; a failed first read ends the
// file with no spectrum, since the record then holds unread fields.
void convertSpectra(FileRun& run)
{
    run.record.channel = run.channel;
    int16_t result = readNext(run);
    if (result != 0) {
        logMessage("WARNING: readSpectrum returned %d\n", result);
        return;
    }
    run.previous = run.record;
    if (!transposeOutput && !binaryOutput) {
        result = writeHeader(run.channel, run.record, run.output.get());
        if (result != 0)
            logMessage("WARNING: writeHeader returned %d\n", result);
        startRows(run);
    }
    for (;;) {
        logDebug("readSpectrum OK.\n");
        result = processSpectrum(run.record, run.pixels.get(), run.channel, processLevel);
        if (result != 0) {
            logMessage("WARNING: processSpectrum returned %d\n", result);
            return;
        }
        logDebug("Process completed: %d %d\n", processLevel, run.record.process);
        result = writeSpectrum(run);
        if (result != 0) {
            logMessage("WARNING: writeOutput returned %d\n", result);
            return;
        }
        ++run.count;
        result = readNext(run);
        if (result == 1)
            return;
        if (result != 0) {
            logMessage("WARNING: readSpectrum returned %d\n", result);
            return;
        }
        logDebug("Output done.\n");
        if (!samePixelSet(run.record, run.previous)) {
            result = handlePixelSetChange(run);
            if (result != 0) {
                logMessage("WARNING: writeOutput returned %d\n", result);
                return;
            }
        }
        run.previous = run.record;
    }
}

} // namespace

int calibrateFile(const char* dataFileName, const char* calFileName, int8_t level, int transpose, int binary,
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
    binaryOutput = binary;
    if (binaryOutput && transposeOutput) {
        logMessage("NOTE: Binary output cannot be transposed.\n");
        transposeOutput = 0;
    }
    logMessage("Tranposition:        ");
    logMessage(transposeOutput ? "on\n" : "off\n");
    delimiter = delimiterChar;
    verboseLog = verbose;
    logSink = callback;
    logDebug("Ready to process.\n");
    if (processDatFile(dataFileName, calFileName) != 0)
        logError("No files processed.\n");
    return 0;
}

int16_t processDatFile(const char* dataFileName, const char* calFileName)
{
    FileRun run;
    run.path = dataFileName;
    logDebug("opening %s\n", dataFileName);
    run.input.reset(std::fopen(dataFileName, "rb"));
    if (!run.input) {
        const int error = errno;
        logError("Error %d opening input file %s\n", error, dataFileName);
        return static_cast<int16_t>(error);
    }
    enlargeBuffer(run.input.get(), run.inputBuffer);
    logDebug("file open\n");

    const std::string outputName = outputFileName(dataFileName, processLevel, binaryOutput != 0);
    run.channel = static_cast<int8_t>(chanIndex);
    // Binary mode throughout: text lines carry their CR LF explicitly.
    run.output.reset(std::fopen(outputName.c_str(), "wb"));
    if (!run.output) {
        const int error = errno;
        logError("Error %d opening output file %s\n", error, outputName.c_str());
        return static_cast<int16_t>(error);
    }
    enlargeBuffer(run.output.get(), run.outputBuffer);
    logMessage("-> %s \n", outputName.c_str());
    if (!binaryOutput)
        writeTextHeader(run.output.get(), dataFileName, calFileName, run.channel);

    run.temporary.reset(std::tmpfile());
    if (!run.temporary) {
        logError("ERROR opening temporary file.\n");
        transposeOutput = 0; // the rows go straight to the output instead
    } else if (transposeOutput) {
        enlargeBuffer(run.temporary.get(), run.temporaryBuffer);
    }

    const DataKind kind = findFirstData(run.input.get());
    if (kind == DataKind::None) {
        logError("No data found in %s\n", dataFileName);
        return 1;
    }
    run.pixels.reset(new (std::nothrow) float[MAX_PIXELS]());
    if (!run.pixels) {
        logError("Unable to allocate pixel array in processDatFile().\n");
        return 1;
    }
    run.binaryInput = kind == DataKind::Binary ? 1 : 0;
    run.format = run.binaryInput ? 2 : detectFileFormat(run.input.get());
    logDebug("File format: %d\n", run.format);

    convertSpectra(run);

    if (transposeOutput)
        writeTransposed(run.temporary.get(), run.output.get());
    run.temporary.reset();
    if (run.count == 1)
        logMessage("1 spectrum.\n");
    else
        logMessage("%d spectra.\n", run.count);
    return 0;
}
