#include "readback/output_lines.h"

#include "readback/short_decimal.h"
#include "core/file_path.h"

#include <cerrno>
#include <cstdint>
#include <charconv>
#include <cstring>
#include <limits>

OutputLines::OutputLines(const std::string& path)
    : path_(path), stream_(std::make_unique<std::ifstream>(pathFromUtf8(path), std::ios::binary))
{
    if (!*stream_)
        throw OutputReadError("Cannot open \"" + path + "\": " + std::strerror(errno));
}

bool OutputLines::next(std::string& line)
{
    if (!std::getline(*stream_, line))
        return false;
    lineStart_ = offset_;
    offset_ += static_cast<std::int64_t>(line.size()) + (stream_->eof() ? 0 : 1);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++lineNumber_;
    return true;
}

void OutputLines::seek(std::int64_t offset)
{
    stream_->clear();
    stream_->seekg(offset);
    if (!*stream_)
        fail("cannot return to a spectrum");
    offset_ = offset;
    numbered_ = false;
}

void OutputLines::failOnLine(long number, const std::string& what) const
{
    fail(LinePlace{number, 0}, what);
}

void OutputLines::fail(const std::string& what) const
{
    fail(place(), what);
}

void OutputLines::fail(const LinePlace& place, const std::string& what) const
{
    const std::string where =
        place.number != 0 ? "line " + std::to_string(place.number) : "the line at byte " + std::to_string(place.start);
    throw OutputReadError(path_ + ", " + where + ": " + what);
}

bool Cells::next(std::string_view& cell)
{
    if (finished_)
        return false;
    const std::size_t end = rest_.find(delimiter_);
    if (end == std::string_view::npos) {
        cell = rest_;
        finished_ = true;
    } else {
        cell = rest_.substr(0, end);
        rest_.remove_prefix(end + 1);
    }
    return true;
}

namespace {

template <typename T>
bool parseWhole(std::string_view cell, T& value)
{
    const char* begin = cell.data();
    const char* end = begin + cell.size();
    if (begin != end && *begin == '+')
        ++begin; // printf never writes it, but a hand-edited file may
    const auto [stop, error] = std::from_chars(begin, end, value);
    return begin != end && error == std::errc() && stop == end;
}

} // namespace

bool parseLong(std::string_view cell, long& value)
{
    return parseWhole(cell, value);
}

bool parseFloat(std::string_view cell, float& value)
{
    const char* const end = cell.data() + cell.size();
    return scanShortDecimal(cell.data(), end, value) == end || parseWhole(cell, value);
}

bool parseDouble(std::string_view cell, double& value)
{
    return parseWhole(cell, value);
}
