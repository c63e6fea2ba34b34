#include "conversion/output_formats.h"

#include "calibration/cal_table.h"
#include "conversion/file_window.h"
#include "core/log.h"
#include "core/pixel_count.h"
#include "core/record_fields.h"
#include "conversion/output_buffer.h"
#include "conversion/row_pipeline.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

int16_t writeBinary(const SpectrumRecord& record, const float* pixels, std::FILE* stream)
{
    unsigned char head[SPECTRUM_RECORD_SIZE];
    encodeRecord(record, head);
    if (std::fwrite(head, SPECTRUM_RECORD_SIZE, 1, stream) != 1)
        return 1;
    const int count = storedPixelCount(record);
    unsigned char values[MAX_PIXELS * sizeof(float)];
    encodeFloatsLE(pixels, static_cast<std::size_t>(count), values);
    if (std::fwrite(values, sizeof(float), static_cast<std::size_t>(count), stream) != static_cast<std::size_t>(count))
        return 1;
    return 0;
}

// The row goes to the stream in one write, so a failure anywhere in it fails the row.
int16_t writeTextRow(const SpectrumRecord& record, const float* pixels, std::FILE* stream, char delimiter)
{
    OutputBuffer out(stream);
    putTextRow(out, record, pixels, delimiter);
    return out.flush() ? 0 : 1;
}

void logWrite(const Log& log, const SpectrumRecord& record)
{
    log.debug("Write Do:%f Dt:%f\n", record.Do, record.Dt);
}

// The transposed table: thirteen label rows from the records, then one row
// per value. Row r's cell of spectrum j is read from the temporary file at
// j * recordSize + cellOffset(r), cellSize(r) bytes long.
constexpr int LABEL_ROWS = RECORD_FIELDS;

// Bytes of the temporary file gathered for a band of rows at a time; the
// larger it is, the fewer passes over the file a long table takes.
constexpr FileOffset STRIPE_BUDGET = FileOffset{16} << 20;

FileOffset cellOffset(int row)
{
    return row < LABEL_ROWS ? 0 : static_cast<FileOffset>(SPECTRUM_RECORD_SIZE) + FileOffset{4} * (row - LABEL_ROWS);
}

FileOffset cellSize(int row)
{
    return row < LABEL_ROWS ? static_cast<FileOffset>(SPECTRUM_RECORD_SIZE) : FileOffset{4};
}

void putField(OutputBuffer& out, const RecordField& field, const SpectrumRecord& r, int precision)
{
    switch (field.form) {
    case FieldForm::Integer: out.putInteger(static_cast<long>(field.value(r))); break;
    case FieldForm::Fixed: out.putFixed(field.value(r), precision); break;
    case FieldForm::General: out.putGeneral(field.value(r), precision); break;
    }
}

void putLabelCell(OutputBuffer& out, int row, const SpectrumRecord& r, char delimiter)
{
    const RecordField& field = recordFields()[static_cast<std::size_t>(row)];
    out.put(delimiter);
    putField(out, field, r, field.labelCellPrecision);
}

float loadFloatLE(const unsigned char* bytes)
{
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                          static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return std::bit_cast<float>(bits);
}

// Steps over the records of the temporary file; false after a move that
// would leave the file's start, or not go forward at all.
bool countSpectra(FileWindow& file, int& count, SpectrumRecord& last)
{
    count = 0;
    FileOffset position = 0;
    while (const unsigned char* head = file.at(position, SPECTRUM_RECORD_SIZE)) {
        const SpectrumRecord record = decodeRecord(head);
        const FileOffset next =
            position + static_cast<FileOffset>(SPECTRUM_RECORD_SIZE) + FileOffset{4} * record.numPix;
        if (next <= position)
            return false;
        position = next;
        last = record;
        ++count;
    }
    return true;
}

class TransposedTable {
public:
    TransposedTable(const Conversion& conversion, FileWindow& file, std::FILE* output, int spectra, int values)
        : file_(file), out_(output), delimiter_(conversion.options.delimiter), calibration_(conversion.calTable()),
          log_(conversion.log), spectra_(spectra), values_(values),
          recordSize_(static_cast<FileOffset>(SPECTRUM_RECORD_SIZE) + FileOffset{4} * values)
    {}

    int16_t write()
    {
        const int rows = LABEL_ROWS + std::max(values_, 0);
        for (int first = 0; first < rows && !out_.failed();) {
            const int end = bandEnd(first, rows);
            if (!writeBand(first, end))
                return 1;
            first = end;
        }
        return out_.flush() ? 0 : 1;
    }

private:
    FileOffset bandWidth(int first, int end) const
    {
        return cellOffset(end - 1) + cellSize(end - 1) - cellOffset(first);
    }

    // Rows from `first` on whose cells of every spectrum fit the budget together (at least one row).
    int bandEnd(int first, int rows) const
    {
        int end = first + 1;
        while (end < rows && bandWidth(first, end + 1) * spectra_ <= STRIPE_BUDGET)
            ++end;
        return end;
    }

    // A band of several rows is gathered for all spectra at once; a single
    // row is gathered a budget's worth of spectra at a time.
    bool writeBand(int first, int end)
    {
        const FileOffset width = bandWidth(first, end);
        const FileOffset chunk = end - first > 1 ? spectra_ : std::max(FileOffset{1}, STRIPE_BUDGET / width);
        for (int row = first; row < end; ++row) {
            startRow(row);
            for (FileOffset j0 = 0; j0 < spectra_; j0 += chunk) {
                const FileOffset j1 = std::min<FileOffset>(spectra_, j0 + chunk);
                if (row == first)
                    gather(cellOffset(first), width, j0, j1);
                if (!putCells(row, cellOffset(row) - cellOffset(first), width, j0, j1))
                    return false;
            }
            out_.endLine();
        }
        return true;
    }

    void startRow(int row)
    {
        if (row < LABEL_ROWS) {
            out_.put(std::string_view(recordFields()[static_cast<std::size_t>(row)].rowLabel));
            return;
        }
        if (row == LABEL_ROWS)
            lastRecord_ = lastLabelRecord();
        if (calibration_.slotLoaded(lastRecord_.channel))
            out_.putFixed(
                calibration_.pixelWavelength(lastRecord_.channel,
                                             pixelNumber(lastRecord_.firstPix, lastRecord_.pixInc, row - LABEL_ROWS)),
                1);
        else
            out_.put('?');
    }

    // The record the label rows read last: that of the last spectrum.
    SpectrumRecord lastLabelRecord()
    {
        if (spectra_ == 0)
            return SpectrumRecord{};
        return decodeRecord(file_.at((spectra_ - 1) * recordSize_, SPECTRUM_RECORD_SIZE));
    }

    // Copies bytes [offset, offset + width) of the records of spectra j0 to
    // j1 into the stripe, as far as the file holds them.
    void gather(FileOffset offset, FileOffset width, FileOffset j0, FileOffset j1)
    {
        stripe_.resize(static_cast<std::size_t>((j1 - j0) * width));
        for (FileOffset j = j0; j < j1; ++j) {
            const FileOffset position = j * recordSize_ + offset;
            const std::size_t count = file_.available(position, static_cast<std::size_t>(width));
            if (count > 0)
                std::memcpy(&stripe_[static_cast<std::size_t>((j - j0) * width)], file_.at(position, count), count);
        }
    }

    bool putCells(int row, FileOffset offsetInStripe, FileOffset width, FileOffset j0, FileOffset j1)
    {
        const FileOffset size = cellSize(row);
        const FileOffset lastWhole = file_.size() - size; // the last position whose cell the file holds whole
        FileOffset position = j0 * recordSize_ + cellOffset(row);
        const unsigned char* cell = stripe_.data() + offsetInStripe;
        for (FileOffset j = j0; j < j1; ++j, position += recordSize_, cell += width) {
            if (position < 0 || position > lastWhole) {
                reportFailure(row, static_cast<int>(j), position < 0);
                return false;
            }
            if (row < LABEL_ROWS) {
                putLabelCell(out_, row, decodeRecord(cell), delimiter_);
            } else {
                out_.put(delimiter_);
                out_.putGeneral(loadFloatLE(cell), 4);
            }
        }
        return true;
    }

    // The messages of a failed positioning (to before the file's start) or
    // read (past its end) of a cell.
    void reportFailure(int row, int spectrum, bool positioning)
    {
        out_.flush();
        const int failedSeek = -1;
        if (row < LABEL_ROWS) {
            if (positioning)
                log_.error("fseek error; i:%d result:%d\n", spectrum, failedSeek);
            else
                log_.error("fread error; i = %d\n", spectrum);
        } else if (positioning) {
            log_.error("fseek error; i:%d j:%d result:%d\n", row - LABEL_ROWS, spectrum, failedSeek);
        } else {
            log_.error("fread error\n");
        }
    }

    FileWindow& file_;
    OutputBuffer out_;
    const char delimiter_;
    const CalTable& calibration_;
    const Log& log_;
    const int spectra_;
    const int values_;
    const FileOffset recordSize_;
    SpectrumRecord lastRecord_{};
    std::vector<unsigned char> stripe_;
};

} // namespace

void putTextRow(OutputBuffer& out, const SpectrumRecord& r, const float* pixels, char d)
{
    for (const RecordField& field : recordFields()) {
        if (&field != &recordFields().front())
            out.put(d);
        putField(out, field, r, field.rowPrecision);
    }
    const int count = storedPixelCount(r);
    for (int k = 0; k < count; ++k) {
        out.put(d);
        out.putGeneral(pixels[k], 5);
    }
    out.endLine();
}

int16_t writeHeader(const Conversion& conversion, int channel, const SpectrumRecord& record, std::FILE* output)
{
    const char d = conversion.options.delimiter;
    const CalTable& calibration = conversion.calTable();
    OutputBuffer out(output);
    for (const RecordField& field : recordFields()) {
        if (&field != &recordFields().front())
            out.put(d);
        out.put(std::string_view(field.columnLabel));
    }
    const bool known = calibration.slotLoaded(channel);
    for (int k = 0; k < record.numPix; ++k) {
        out.put(d);
        if (known)
            out.putFixed(calibration.pixelWavelength(channel, pixelNumber(record.firstPix, record.pixInc, k)), 1);
        else
            out.put('?');
    }
    out.endLine();
    return out.flush() ? 0 : 1;
}

int16_t writeOutput(const Conversion& conversion, const SpectrumRecord& record, const float* pixels, std::FILE* stream,
                    bool binaryForm)
{
    logWrite(conversion.log, record);
    return binaryForm ? writeBinary(record, pixels, stream)
                      : writeTextRow(record, pixels, stream, conversion.options.delimiter);
}

int16_t writeOutput(const Log& log, const SpectrumRecord& record, const float* pixels, RowPipeline& rows)
{
    logWrite(log, record);
    return rows.submit(record, pixels);
}

int16_t writeTransposed(const Conversion& conversion, std::FILE* temporary, std::FILE* output)
{
    FileWindow file(temporary);
    int spectra = 0;
    SpectrumRecord last{};
    if (!countSpectra(file, spectra, last))
        return 1;
    const int values = last.numPix;
    conversion.log.debug("specCount = %d numPix = %d\n", spectra, values);
    TransposedTable table(conversion, file, output, spectra, values);
    return table.write();
}
