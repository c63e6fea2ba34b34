#include "viewer/marked_column.h"

#include "readback/output_lines.h"

#include <QFile>

#include <cstring>
#include <limits>
#include <string_view>

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
    }
    ~MappedFile() { file_.unmap(data_); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view bytes() const
    {
        return {reinterpret_cast<const char*>(data_), static_cast<std::size_t>(file_.size())};
    }

private:
    QFile file_;
    uchar* data_ = nullptr;
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

// Every value of row k of a transposed table: value k of every spectrum.
std::vector<double> transposedRow(const SpectraOverview& o, std::string_view bytes, std::size_t k)
{
    std::vector<double> values(o.records.size());
    std::size_t at = static_cast<std::size_t>(o.marks.rowStarts[k]) + o.marks.marks[o.marks.rowFirst[k]];
    for (double& v : values) {
        std::string_view text;
        float value = 0;
        if (at >= bytes.size() || !cellAfter(bytes, at, 0, o.delimiter, text) || !parseFloat(text, value))
            throw OutputReadError(o.path + " changed since it was opened");
        v = value;
        at += text.size() + 1;
    }
    return values;
}

} // namespace

std::optional<std::vector<double>> markedColumn(const SpectraOverview& o, std::size_t k)
{
    if (!markedWhole(o))
        return std::nullopt;
    const MappedFile file(o.path);
    if (o.layout == OutputLayout::Transposed)
        return transposedRow(o, file.bytes(), k);
    std::vector<double> values(o.records.size(), std::numeric_limits<double>::quiet_NaN());
    for (std::size_t j = 0; j < values.size(); ++j) {
        float value = 0;
        if (drawable(o, j) && markedCell(o, file.bytes(), j, k, value))
            values[j] = value;
    }
    return values;
}

std::optional<std::vector<float>> markedSpectrum(const SpectraOverview& o, std::size_t j)
{
    if (o.layout != OutputLayout::Transposed || !markedWhole(o))
        return std::nullopt;
    const MappedFile file(o.path);
    std::vector<float> values(o.marks.rowStarts.size());
    for (std::size_t k = 0; k < values.size(); ++k)
        if (!markedCell(o, file.bytes(), k, j, values[k]))
            throw OutputReadError(o.path + " changed since it was opened");
    return values;
}
