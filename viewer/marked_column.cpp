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

} // namespace

std::optional<std::vector<double>> markedColumn(const SpectraOverview& o, std::size_t k)
{
    const ValueMarks& m = o.marks;
    if (m.rowStarts.size() != o.records.size())
        return std::nullopt;
    const MappedFile file(o.path);
    const std::string_view bytes = file.bytes();
    std::vector<double> values(o.records.size(), std::numeric_limits<double>::quiet_NaN());
    for (std::size_t j = 0; j < values.size(); ++j) {
        const std::size_t mark = m.rowFirst[j] + k / ValueMarks::STEP;
        if (!drawable(o, j) || mark >= m.rowFirst[j + 1])
            continue;
        const auto at = static_cast<std::size_t>(m.rowStarts[j]) + m.marks[mark];
        std::string_view cell;
        float value = 0;
        if (at >= bytes.size() || !cellAfter(bytes, at, k % ValueMarks::STEP, o.delimiter, cell) ||
            !parseFloat(cell, value))
            throw OutputReadError(o.path + " changed since it was opened");
        values[j] = value;
    }
    return values;
}
