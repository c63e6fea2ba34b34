// Rows of the normal text layout: the thirteen fields, then numPix values.
// Parsing the values is most of the time a large table takes, so the rows
// are read a batch at a time: while the spectra of one batch are taken,
// helper threads (one per further core) parse the next, and the thread
// taking the spectra joins them when it needs it. Rows are handed out in
// order, a damaged row failing when reached, so that the spectra before it
// come out as when read one by one.

#include "readback/helper_threads.h"
#include "readback/output_record_fields.h"
#include "readback/output_source.h"
#include "readback/short_decimal.h"
#include "core/pixel_count.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Rows read and parsed at once, at most. A table of fewer is parsed in the
// calling thread alone. The batches start at one row, at the table's start
// and after a seek, and grow: fetching one spectrum reads no more than it,
// and a small table holds no more rows than it has.
constexpr std::size_t BATCH = 256;

// A row read ahead and what parsing it gave.
struct PendingRow {
    std::string line;
    LinePlace place;
    std::int64_t start = 0; // the line's byte offset
    OutputSpectrum spectrum;
    std::vector<std::uint32_t> marks; // of its values, when the rows are marked
    std::exception_ptr failure;
};

// Rows read at once, parsed by the threads taking them in turn.
struct Batch {
    std::vector<PendingRow> rows;
    std::size_t filled = 0;
    bool marking = false; // whether its rows' value marks are noted
    bool last = false;    // the table has no rows after these
    bool parsing = false; // parsing started and not yet joined
    std::atomic<std::size_t> nextRow = 0;
};

class NormalRows : public OutputSource {
public:
    NormalRows(OutputLines lines, char delimiter) : lines_(std::move(lines)), delimiter_(delimiter)
    {
        marks_.rowFirst.push_back(0);
    }

    bool next(OutputSpectrum& spectrum) override
    {
        if (taken_ == current_->filled && !takeBatch())
            return false;
        PendingRow& row = current_->rows[taken_++];
        if (row.failure)
            std::rethrow_exception(row.failure);
        std::swap(spectrum, row.spectrum);
        if (marking_) {
            marks_.rowStarts.push_back(row.start);
            marks_.marks.insert(marks_.marks.end(), row.marks.begin(), row.marks.end());
            marks_.rowFirst.push_back(marks_.marks.size());
        }
        return true;
    }

    std::int64_t position() const override
    {
        if (taken_ < current_->filled)
            return current_->rows[taken_].start;
        return ahead_->filled > 0 ? ahead_->rows[0].start : lines_.offset();
    }

    void seek(std::int64_t position) override
    {
        finishParsing(*ahead_);
        taken_ = current_->filled = ahead_->filled = 0;
        current_->last = ahead_->last = false;
        batchRows_ = 1;
        lines_.seek(position);
        marking_ = false; // rows read from here on are not the next ones
        marks_ = {};
    }

    ValueMarks takeValueMarks() override
    {
        marking_ = false;
        return std::exchange(marks_, {});
    }

private:
    // Makes the batch read ahead the current one, reading one first if none
    // was, and has the helpers start on the batch after it; false when the
    // table has no more rows.
    bool takeBatch()
    {
        if (current_->last)
            return false;
        if (!ahead_->parsing) {
            readBatch(*ahead_);
            startParsing(*ahead_);
        }
        finishParsing(*ahead_);
        std::swap(current_, ahead_);
        taken_ = 0;
        ahead_->filled = 0;
        if (!current_->last) {
            readBatch(*ahead_);
            startParsing(*ahead_);
        }
        return current_->filled > 0;
    }

    void readBatch(Batch& batch)
    {
        const std::size_t wanted = batchRows_;
        batchRows_ = std::min(BATCH, 2 * batchRows_);
        if (batch.rows.size() < wanted)
            batch.rows.resize(wanted);
        batch.filled = 0;
        batch.marking = marking_;
        batch.last = true;
        while (batch.filled < wanted && readLine(batch.rows[batch.filled]))
            if (batch.rows[batch.filled++].failure)
                return;
        batch.last = batch.filled < wanted;
    }

    // The helpers parse the batch's rows until none is left; the thread
    // taking the spectra joins them when it needs the batch.
    void startParsing(Batch& batch)
    {
        batch.nextRow = 0;
        batch.parsing = true;
        if (batch.filled == BATCH && !helpers_ && threadsPerCore() > 1)
            helpers_ = std::make_unique<HelperThreads>(threadsPerCore() - 1);
        if (helpers_)
            helpers_->start([this, &batch](std::size_t) { parseRows(batch); });
    }

    void finishParsing(Batch& batch)
    {
        if (!batch.parsing)
            return;
        parseRows(batch);
        if (helpers_)
            helpers_->finish();
        batch.parsing = false;
    }

    void parseRows(Batch& batch) const
    {
        for (std::size_t i = batch.nextRow++; i < batch.filled; i = batch.nextRow++)
            parse(batch.rows[i], batch.marking);
    }

    // The next line into `row`; false at the table's end. A blank line ends
    // the table, and is an error in `row` when a line follows it.
    bool readLine(PendingRow& row)
    {
        row.start = lines_.offset();
        row.failure = nullptr;
        if (!lines_.next(row.line))
            return false;
        row.place = lines_.place();
        if (row.line.empty()) {
            if (!lines_.next(row.line))
                return false;
            try {
                lines_.fail("a blank line inside the table");
            } catch (const OutputReadError&) {
                row.failure = std::current_exception();
            }
        }
        return true;
    }

    // Parses the row's line into its spectrum, or its failure.
    void parse(PendingRow& row, bool marking) const
    {
        if (row.failure)
            return;
        try {
            parseRow(row, marking);
        } catch (...) {
            row.failure = std::current_exception();
        }
    }

    void parseRow(PendingRow& row, bool marking) const
    {
        Cells cells(row.line, delimiter_);
        std::string_view cell;
        OutputSpectrum& spectrum = row.spectrum;
        spectrum.record = SpectrumRecord{};
        spectrum.record.channel = -1;
        for (int field = 0; field < RECORD_FIELDS; ++field) {
            if (!cells.next(cell))
                lines_.fail(row.place, "the row ends after " + std::to_string(field) + " of its 13 fields");
            if (!setRecordField(spectrum.record, field, cell))
                lines_.fail(row.place,
                            "field " + std::to_string(field + 1) + " is not a number: \"" + std::string(cell) + "\"");
        }
        const int count = storedPixelCount(spectrum.record);
        spectrum.values.resize(static_cast<std::size_t>(count));
        row.marks.clear();
        // The values in one pass each: scanned up to their delimiter.
        std::string_view rest = cells.rest();
        bool more = !cells.done();
        for (int k = 0; k < count; ++k) {
            if (!more)
                lines_.fail(row.place,
                            "the row ends after " + std::to_string(k) + " of its " + std::to_string(count) + " values");
            if (marking && static_cast<std::size_t>(k) % ValueMarks::STEP == 0)
                row.marks.push_back(static_cast<std::uint32_t>(rest.data() - row.line.data()));
            float value = 0;
            std::size_t length = 0;
            if (!parseFloatCell(rest, delimiter_, value, length))
                failValue(row.place, k, rest.substr(0, length));
            spectrum.values[static_cast<std::size_t>(k)] = value;
            more = length < rest.size();
            rest.remove_prefix(std::min(length + 1, rest.size()));
        }
        if (more)
            lines_.fail(row.place, "the row has more than the " + std::to_string(count) + " values it declares");
    }

    [[noreturn]] void failValue(const LinePlace& place, int k, std::string_view cell) const
    {
        lines_.fail(place, "value " + std::to_string(k + 1) + " is not a number: \"" + std::string(cell) + "\"");
    }

    OutputLines lines_;
    char delimiter_;
    std::unique_ptr<Batch> current_ = std::make_unique<Batch>(); // the rows being handed out
    std::unique_ptr<Batch> ahead_ = std::make_unique<Batch>();   // the rows after them, being parsed
    std::size_t taken_ = 0;                                      // rows of the current batch handed out
    std::size_t batchRows_ = 1;                                  // rows the next batch reads
    ValueMarks marks_;
    bool marking_ = true;
    std::unique_ptr<HelperThreads> helpers_; // last: they parse into the batches
};

} // namespace

std::unique_ptr<OutputSource> normalRows(OutputLines lines, char delimiter)
{
    return std::make_unique<NormalRows>(std::move(lines), delimiter);
}
