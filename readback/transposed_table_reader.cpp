// The value rows of a transposed table (whose layout transposed_layout.cpp
// reads). A spectrum is a column of the table, so the value rows are read a
// block of spectra at a time, each row from where the block before left
// it: the cells are parsed once and the memory held is the label rows'
// fields and one block, not the table. The offset of every STEP-th cell of
// each row is noted on the way, for a seek and for the viewer's reads of one
// column or one row. Parsing the cells is most of the time a large table
// takes, so the rows of a block are shared between threads, which read the
// file by position.

#include "readback/helper_threads.h"
#include "readback/output_source.h"
#include "readback/short_decimal.h"
#include "readback/transposed_layout.h"
#include "conversion/file_window.h"
#include "core/file_handle.h"
#include "core/regular_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string>

namespace {

// Bytes first read of a row whose cell lengths are not known yet.
constexpr std::size_t CHUNK = 16384;

// A block of spectra being read by several readers, each with its own
// RowReader, and how each ended.
struct BlockRead {
    BlockRead(std::vector<float>& into, std::size_t first, std::size_t spectra, std::size_t readers)
        : block(into), start(first), count(spectra), failedRow(readers, std::numeric_limits<std::size_t>::max()),
          failure(readers)
    {}
    std::vector<float>& block;
    std::size_t start;
    std::size_t count;
    std::atomic<std::size_t> nextGroup = 0;
    std::vector<std::size_t> failedRow;
    std::vector<std::exception_ptr> failure;
};

// What a thread reading rows keeps of its own: the bytes of the row it read
// last.
struct RowReader {
    std::string chunk;
    std::int64_t chunkStart = -1;
};

class TransposedTable : public OutputSource {
public:
    TransposedTable(OutputLines lines, char delimiter, std::string timeRow, std::vector<double>& wavelengths,
                    const TableReading& reading)
        : lines_(std::move(lines)), delimiter_(delimiter),
          blockSpectra_(std::max<std::size_t>(reading.blockSpectra, 1)),
          rowGroup_(std::max<std::size_t>(reading.rowGroup, 1))
    {
        file_.reset(openRegularFile(lines_.path().c_str()));
        if (!file_)
            throw OutputReadError("Cannot open \"" + lines_.path() + "\": " + openErrorText(errno));
        TransposedLayout layout =
            readTransposedLayout(lines_, file_.get(), delimiter_, std::move(timeRow), wavelengths);
        records_ = std::move(layout.records);
        rows_ = std::move(layout.rows);
        firstValueLine_ = layout.firstValueLine;
        readers_.resize(readerCount(reading.readers));
        if (readers_.size() > 1)
            helpers_ = std::make_unique<HelperThreads>(readers_.size() - 1);
    }

    bool next(OutputSpectrum& spectrum) override
    {
        if (next_ >= records_.size())
            return false;
        if (next_ < blockStart_ || next_ >= blockStart_ + blockCount_)
            takeBlock(next_);
        spectrum.record = records_[next_];
        const auto first = block_.begin() + static_cast<std::ptrdiff_t>((next_ - blockStart_) * rows_.size());
        spectrum.values.assign(first, first + static_cast<std::ptrdiff_t>(rows_.size()));
        ++next_;
        return true;
    }

    std::int64_t position() const override { return static_cast<std::int64_t>(next_); }

    void seek(std::int64_t position) override
    {
        if (position < 0 || static_cast<std::size_t>(position) > records_.size())
            throw OutputReadError("no spectrum " + std::to_string(position) + " in the table");
        next_ = static_cast<std::size_t>(position);
    }

    // The rows' marks once every cell has been read.
    ValueMarks takeValueMarks() override
    {
        dropBlockRead(); // its readers note marks
        const std::size_t perRow = (records_.size() + ValueMarks::STEP - 1) / ValueMarks::STEP;
        if (std::any_of(rows_.begin(), rows_.end(), [perRow](const ValueRow& r) { return r.marks.size() != perRow; }))
            return {};
        ValueMarks m;
        m.rowFirst.push_back(0);
        for (ValueRow& row : rows_) {
            m.rowStarts.push_back(row.lineStart);
            m.marks.insert(m.marks.end(), row.marks.begin(), row.marks.end());
            m.rowFirst.push_back(m.marks.size());
            row.marks = {};
        }
        return m;
    }

private:
    unsigned readerCount(unsigned told) const
    {
        if (records_.size() <= blockSpectra_ || rows_.size() < 2)
            return 1;
        // Two at least, unless told otherwise; tables of one block are read in
        // the calling thread alone.
        const unsigned cores = told != 0 ? told : std::max(threadsPerCore(), 2U);
        return static_cast<unsigned>(std::min<std::size_t>(cores, rows_.size()));
    }

    // Makes the block from spectrum `start` on the current one, and has the
    // readers other than this thread's start on the block after it, which
    // this thread joins once it needs that block: the threads never outnumber
    // the readers, and none waits while this one takes the spectra.
    void takeBlock(std::size_t start)
    {
        blockCount_ = 0; // a block that fails to read is not kept
        if (reading_ && &reading_->block == &aheadBlock_ && reading_->start == start) {
            finishBlock(); // rethrows the block's failure
            std::swap(block_, aheadBlock_);
        } else {
            dropBlockRead();
            startBlock(block_, start);
            finishBlock();
        }
        blockStart_ = start;
        blockCount_ = std::min(blockSpectra_, records_.size() - start);
        if (readers_.size() > 1 && start + blockCount_ < records_.size())
            startBlock(aheadBlock_, start + blockCount_);
    }

    // Readers 1 and on start reading the block's rows in groups, taken in
    // order, into `block`.
    void startBlock(std::vector<float>& block, std::size_t start)
    {
        block.resize(rows_.size() * std::min(blockSpectra_, records_.size()));
        BlockRead& read =
            reading_.emplace(block, start, std::min(blockSpectra_, records_.size() - start), readers_.size());
        if (helpers_)
            helpers_->start([this, &read](std::size_t r) { readGroups(read, r); });
    }

    // This thread reads groups too until none is left, then waits for the
    // others. A damaged block fails as the table read row by row would: with
    // the error of its first damaged row, unless a row before it is damaged
    // in a later block.
    void finishBlock()
    {
        BlockRead& read = *reading_;
        readGroups(read, 0);
        if (helpers_)
            helpers_->finish();
        const auto first = static_cast<std::size_t>(std::min_element(read.failedRow.begin(), read.failedRow.end()) -
                                                    read.failedRow.begin());
        const std::exception_ptr failure = read.failure[first];
        const std::size_t failedRow = read.failedRow[first];
        const std::size_t blockEnd = read.start + read.count;
        reading_.reset();
        if (failure) {
            failOnEarlierRow(failedRow, blockEnd);
            std::rethrow_exception(failure);
        }
    }

    // Reads the rows before `row` from spectrum `from` to their end, failing
    // on the first damage met.
    void failOnEarlierRow(std::size_t row, std::size_t from)
    {
        std::vector<float> scratch(rows_.size() * std::min(blockSpectra_, records_.size()));
        for (std::size_t k = 0; k < row; ++k)
            for (std::size_t start = from; start < records_.size(); start += blockSpectra_)
                readCells(readers_[0], scratch.data(), k, start, std::min(records_.size(), start + blockSpectra_));
    }

    // A block read ahead and not wanted is finished and let go.
    void dropBlockRead()
    {
        if (!reading_)
            return;
        try {
            finishBlock();
        } catch (const OutputReadError&) {
            // its rows are read again when wanted
        }
    }

    void readGroups(BlockRead& read, std::size_t r)
    {
        for (std::size_t group = read.nextGroup++; group * rowGroup_ < rows_.size(); group = read.nextGroup++) {
            const std::size_t first = group * rowGroup_;
            for (std::size_t k = first; k < std::min(rows_.size(), first + rowGroup_); ++k) {
                try {
                    readCells(readers_[r], read.block.data(), k, read.start, read.start + read.count);
                } catch (...) {
                    read.failedRow[r] = k;
                    read.failure[r] = std::current_exception();
                    return;
                }
            }
        }
    }

    // Reads cells [from, to) of row k into the block, from the nearest
    // point before `from` that is known.
    void readCells(RowReader& reader, float* block, std::size_t k, std::size_t from, std::size_t to)
    {
        ValueRow& row = rows_[k];
        const long line = firstValueLine_ + static_cast<long>(k);
        if (row.valuesStart < 0)
            lines_.failOnLine(line, "the row has 0 values for " + std::to_string(records_.size()) + " spectra");
        goNear(row, from);
        const std::size_t spectra = records_.size();
        float* const values = block + k;
        const std::size_t stride = rows_.size();
        while (row.cursorCell < to) {
            // The whole cells of the chunk, in a tight loop.
            const std::string_view rest = chunkFrom(reader, row, row.cursor, to - row.cursorCell);
            const bool rowEnds = reader.chunkStart + static_cast<std::int64_t>(reader.chunk.size()) == row.end;
            std::size_t at = 0; // where the cell starts in rest
            std::size_t j = row.cursorCell;
            for (; j < to; ++j) {
                if (j >= from && j % ValueMarks::STEP != 0) {
                    // The cells up to the next marked one, or the row's last.
                    const std::size_t plain =
                        std::min({to, (j / ValueMarks::STEP + 1) * ValueMarks::STEP, spectra - 1});
                    j += readPlainCells(rest, at, values + (j - from) * stride, stride, plain - j);
                    if (j == to)
                        break;
                }
                float value = 0;
                std::size_t length = 0;
                const bool parsed = parseFloatCell({rest.data() + at, rest.size() - at}, delimiter_, value, length);
                const bool more = at + length != rest.size();
                if (!more && !rowEnds)
                    break; // the cell goes on past the chunk
                const std::int64_t offset = row.cursor + static_cast<std::int64_t>(at);
                if (j % ValueMarks::STEP == 0 && j / ValueMarks::STEP == row.marks.size())
                    row.marks.push_back(static_cast<std::uint32_t>(offset - row.lineStart));
                if (!parsed)
                    failCell(line, j, rest.substr(at, length));
                if (j >= from)
                    values[(j - from) * stride] = value;
                if (!more && j + 1 < spectra)
                    failShortRow(line, j + 1);
                if (more && j + 1 == spectra)
                    failExtraCell(reader, row, offset + static_cast<std::int64_t>(length) + 1, line);
                at += length + 1;
            }
            row.cursor += static_cast<std::int64_t>(at);
            row.cursorCell = j;
        }
    }

    // Reads up to `count` cells of `rest` from `at` on, into values[0],
    // values[stride], ..., while they are short decimals and a delimiter;
    // the common cells, in a loop with little else to keep.
    std::size_t readPlainCells(std::string_view rest, std::size_t& at, float* values, std::size_t stride,
                               std::size_t count) const
    {
        const char* cell = rest.data() + at;
        const char* const end = rest.data() + rest.size();
        std::size_t read = 0;
        for (; read < count; ++read) {
            float value = 0;
            const char* const stop = scanShortDecimal(cell, end, value);
            if (stop == nullptr || stop == end || *stop != delimiter_)
                break;
            values[read * stride] = value;
            cell = stop + 1;
        }
        at = static_cast<std::size_t>(cell - rest.data());
        return read;
    }

    // The failures of the row loop, kept out of it.
    [[noreturn]] void failCell(long line, std::size_t j, std::string_view text) const
    {
        lines_.failOnLine(line, "cell " + std::to_string(j + 1) + " is not a value: \"" + std::string(text) + "\"");
    }

    [[noreturn]] void failShortRow(long line, std::size_t values) const
    {
        lines_.failOnLine(line, "the row has " + std::to_string(values) + " values for " +
                                    std::to_string(records_.size()) + " spectra");
    }

    [[noreturn]] void failExtraCell(RowReader& reader, const ValueRow& row, std::int64_t offset, long line)
    {
        const std::string_view rest = chunkFrom(reader, row, offset, 1);
        lines_.failOnLine(line, "cell " + std::to_string(records_.size() + 1) + " is not a value: \"" +
                                    std::string(rest.substr(0, rest.find(delimiter_))) + "\"");
    }

    // Moves the row's cursor to the furthest known cell not after `cell`.
    static void goNear(ValueRow& row, std::size_t cell)
    {
        std::size_t nearCell = 0;
        std::int64_t nearAt = row.valuesStart;
        if (!row.marks.empty()) {
            const std::size_t mark = std::min(cell / ValueMarks::STEP, row.marks.size() - 1);
            nearCell = mark * ValueMarks::STEP;
            nearAt = row.lineStart + row.marks[mark];
        }
        if (row.cursorCell <= cell && row.cursorCell >= nearCell)
            return; // the cursor is as near
        row.cursorCell = nearCell;
        row.cursor = nearAt;
    }

    // The row's bytes from `offset` on as far as read, holding one whole
    // cell at least, and `cells` cells if the row's cells so far tell their
    // length right.
    std::string_view chunkFrom(RowReader& reader, const ValueRow& row, std::int64_t offset, std::size_t cells)
    {
        std::string& chunk = reader.chunk;
        for (std::size_t want = expectedBytes(row, cells);; want *= 2) {
            const std::int64_t chunkEnd = reader.chunkStart + static_cast<std::int64_t>(chunk.size());
            if (offset >= reader.chunkStart && offset <= chunkEnd && chunkEnd <= row.end) {
                std::string_view rest(chunk);
                rest.remove_prefix(static_cast<std::size_t>(offset - reader.chunkStart));
                if (chunkEnd == row.end || rest.find(delimiter_) != std::string_view::npos)
                    return rest;
            }
            reader.chunkStart = offset;
            chunk.resize(
                static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(want), row.end - offset)));
            readAt(offset, chunk.data(), chunk.size(), row);
        }
    }

    // The bytes of `cells` cells at the length of the row's cells read so
    // far, and some to spare: one read per row and block, not much more.
    static std::size_t expectedBytes(const ValueRow& row, std::size_t cells)
    {
        if (row.cursorCell == 0)
            return CHUNK;
        const auto read = static_cast<std::size_t>(row.cursor - row.valuesStart);
        return (cells + cells / 8 + 4) * (read / row.cursorCell + 1);
    }

    // Reads by position, so that the readers share the one open file.
    void readAt(std::int64_t offset, char* into, std::size_t size, const ValueRow& row)
    {
        const int descriptor = fileno(file_.get());
        for (std::size_t done = 0; done < size;) {
            const std::int64_t got = readAtPosition(descriptor, reinterpret_cast<unsigned char*>(into + done),
                                                    size - done, offset + static_cast<std::int64_t>(done));
            if (got <= 0)
                lines_.failOnLine(firstValueLine_ + static_cast<long>(&row - rows_.data()),
                                  "the file changed since it was opened");
            done += static_cast<std::size_t>(got);
        }
    }

    OutputLines lines_;
    FileHandle file_; // for the value rows' cells
    char delimiter_;
    std::size_t blockSpectra_; // spectra read at once: the block holds this many values of every row
    std::size_t rowGroup_;     // rows a reader takes at a time
    std::vector<SpectrumRecord> records_;
    std::vector<ValueRow> rows_;
    long firstValueLine_ = 0;
    std::vector<float> block_; // the spectra from blockStart_ on, one after the other
    std::size_t blockStart_ = 0;
    std::size_t blockCount_ = 0;
    std::vector<float> aheadBlock_; // the next block, while it is read
    std::vector<RowReader> readers_;
    std::size_t next_ = 0;
    // The block being read, the current or the next.
    std::optional<BlockRead> reading_;
    // Last, so that they finish a block in progress before what they read
    // and read into goes.
    std::unique_ptr<HelperThreads> helpers_;
};

} // namespace

std::unique_ptr<OutputSource> transposedTable(OutputLines lines, char delimiter, std::string timeRow,
                                              std::vector<double>& wavelengths, const TableReading& reading)
{
    return std::make_unique<TransposedTable>(std::move(lines), delimiter, std::move(timeRow), wavelengths, reading);
}
