#include "viewer/marked_column.h"

#include "readback/helper_threads.h"
#include "readback/output_lines.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <string_view>
#include <vector>

namespace {

// The mapped file, unmapped and closed when done.
class MappedFile {
public:
    explicit MappedFile(const std::string& path) : file_(QString::fromStdString(path))
    {
        if (file_.open(QIODevice::ReadOnly))
            data_ = file_.map(0, file_.size());
        if (!data_)
            throw OutputReadError("Cannot read \"" + path + "\" again: " + file_.errorString().toStdString());
        bytes_ = {reinterpret_cast<const char*>(data_), static_cast<std::size_t>(file_.size())};
    }
    ~MappedFile() { file_.unmap(data_); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Taken once: the file's size is asked of the system each time.
    std::string_view bytes() const { return bytes_; }

private:
    QFile file_;
    uchar* data_ = nullptr;
    std::string_view bytes_;
};

// Pieces of the file read: a transposed table's pieces lie far apart, and
// mapping the file for them would bring far more of it into memory.
class FilePieces {
public:
    explicit FilePieces(const std::string& path) : path_(path), file_(QString::fromStdString(path))
    {
        if (!file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw OutputReadError("Cannot read \"" + path + "\" again: " + file_.errorString().toStdString());
        size_ = file_.size();
    }

    std::int64_t size() const { return size_; }

    // Bytes [from, to).
    const std::string& read(std::int64_t from, std::int64_t to)
    {
        piece_.resize(static_cast<std::size_t>(std::max<std::int64_t>(to - from, 0)));
        if (!file_.seek(from) || file_.read(piece_.data(), static_cast<qint64>(piece_.size())) != to - from)
            throw OutputReadError(path_ + " changed since it was opened");
        return piece_;
    }

private:
    std::string path_;
    QFile file_;
    std::int64_t size_ = 0;
    std::string piece_;
};

// The cell `skip` cells after the one at `at`, up to its delimiter or line end.
bool cellAfter(std::string_view bytes, std::size_t at, std::size_t skip, char delimiter, std::string_view& cell)
{
    for (; skip > 0; --skip) {
        const std::size_t next = bytes.find(delimiter, at);
        if (next == std::string_view::npos)
            return false;
        at = next + 1;
    }
    std::size_t end = at;
    while (end < bytes.size() && bytes[end] != delimiter && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    cell = bytes.substr(at, end - at);
    return true;
}

// Runs read(from, to) over rows [0, rows) in one part per core: a value of
// every row touches every page of the file, and most of the time goes to
// the system mapping them in, which the cores share (86,400 rows: 80 to
// 90 ms in one part, 50 to 60 ms in two). The first failed part's error is
// thrown.
template <typename Read>
void inParts(std::size_t rows, const Read& read)
{
    const std::size_t parts = std::min<std::size_t>(threadsPerCore(), std::max<std::size_t>(rows, 1));
    std::vector<std::exception_ptr> failures(parts);
    const auto readPart = [&](std::size_t part) {
        try {
            read(rows * part / parts, rows * (part + 1) / parts);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    HelperThreads helpers(parts - 1);
    helpers.start(readPart);
    readPart(0);
    helpers.finish();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

// Whether the marks cover every row: a transposed table's reader gives
// them only then.
bool markedWhole(const SpectraOverview& o)
{
    const std::size_t rows = o.marks.rowStarts.size();
    return rows > 0 && (o.layout == OutputLayout::Transposed || rows == o.records.size());
}

// Cell `cell` of the row; false when the row has no mark for it. Throws
// when the row no longer holds it.
bool markedCell(const SpectraOverview& o, std::string_view bytes, std::size_t row, std::size_t cell, float& value)
{
    const ValueMarks& m = o.marks;
    const std::size_t mark = m.rowFirst[row] + cell / ValueMarks::STEP;
    if (mark >= m.rowFirst[row + 1])
        return false;
    const auto at = static_cast<std::size_t>(m.rowStarts[row]) + m.marks[mark];
    std::string_view text;
    if (at >= bytes.size() || !cellAfter(bytes, at, cell % ValueMarks::STEP, o.delimiter, text) ||
        !parseFloat(text, value))
        throw OutputReadError(o.path + " changed since it was opened");
    return true;
}

// Where value row k of a transposed table ends: where the next starts.
std::int64_t rowEnd(const SpectraOverview& o, FilePieces& file, std::size_t k)
{
    return k + 1 < o.marks.rowStarts.size() ? o.marks.rowStarts[k + 1] : file.size();
}

// The cells of value row k from mark `mark` on, up to the next mark's
// cell or the row's end, parsed into `into`.
template <typename Value>
void readMarkedCells(const SpectraOverview& o, FilePieces& file, std::size_t k, std::size_t mark, Value* into,
                     std::size_t count)
{
    const ValueMarks& m = o.marks;
    const std::size_t first = m.rowFirst[k] + mark;
    const std::int64_t from = m.rowStarts[k] + m.marks[first];
    const std::int64_t to = first + 1 < m.rowFirst[k + 1] && count <= ValueMarks::STEP
                                ? m.rowStarts[k] + m.marks[first + 1]
                                : rowEnd(o, file, k);
    const std::string_view bytes = file.read(from, to);
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::string_view text;
        float value = 0;
        if (at > bytes.size() || !cellAfter(bytes, at, 0, o.delimiter, text) || !parseFloat(text, value))
            throw OutputReadError(o.path + " changed since it was opened");
        into[i] = value;
        at += text.size() + 1;
    }
}

} // namespace

std::optional<std::vector<double>> markedColumn(const SpectraOverview& o, std::size_t k)
{
    if (!markedWhole(o))
        return std::nullopt;
    if (o.layout == OutputLayout::Transposed) {
        FilePieces file(o.path);
        std::vector<double> values(o.records.size());
        readMarkedCells(o, file, k, 0, values.data(), values.size());
        return values;
    }
    const MappedFile file(o.path);
    std::vector<double> values(o.records.size(), std::numeric_limits<double>::quiet_NaN());
    inParts(values.size(), [&](std::size_t from, std::size_t to) {
        for (std::size_t j = from; j < to; ++j) {
            float value = 0;
            if (drawable(o, j) && markedCell(o, file.bytes(), j, k, value))
                values[j] = value;
        }
    });
    return values;
}

std::optional<std::vector<float>> markedSpectrum(const SpectraOverview& o, std::size_t j)
{
    if (o.layout != OutputLayout::Transposed || !markedWhole(o) || j >= o.records.size())
        return std::nullopt;
    FilePieces file(o.path);
    std::vector<float> values(o.marks.rowStarts.size());
    std::vector<float> cells(ValueMarks::STEP);
    const std::size_t mark = j / ValueMarks::STEP;
    const std::size_t count = std::min(ValueMarks::STEP, o.records.size() - mark * ValueMarks::STEP);
    for (std::size_t k = 0; k < values.size(); ++k) {
        readMarkedCells(o, file, k, mark, cells.data(), count);
        values[k] = cells[j % ValueMarks::STEP];
    }
    return values;
}
