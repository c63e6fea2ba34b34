#include "readback/output_lines.h"

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

void OutputLines::readAt(std::int64_t offset, char* into, std::size_t size)
{
    stream_->clear();
    stream_->seekg(offset);
    stream_->read(into, static_cast<std::streamsize>(size));
    if (!*stream_)
        fail("the file changed since it was opened");
    offset_ = offset + static_cast<std::int64_t>(size);
    numbered_ = false;
}

void OutputLines::failOnLine(long number, const std::string& what) const
{
    throw OutputReadError(path_ + ", line " + std::to_string(number) + ": " + what);
}

void OutputLines::fail(const std::string& what) const
{
    const std::string place =
        numbered_ ? "line " + std::to_string(lineNumber_) : "the line at byte " + std::to_string(lineStart_);
    throw OutputReadError(path_ + ", " + place + ": " + what);
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

namespace {

// Most cells are short decimals such as 0.07274. When their digits make a
// whole number below 2^24 and at most ten follow the point, that number and
// the power of ten are exact floats, and their quotient, rounded once to
// double and then to float, is the correctly rounded float (a double has
// more than twice a float's digits), the value from_chars gives, found
// several times quicker. Anything else is left to from_chars.
bool parseShortDecimal(std::string_view cell, float& value)
{
    constexpr std::uint32_t EXACT_LIMIT = 1U << 24;
    constexpr double TENS[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10};
    std::size_t at = !cell.empty() && cell.front() == '-' ? 1 : 0;
    const bool negative = at == 1;
    std::uint32_t digits = 0;
    const std::size_t wholeStart = at;
    for (; at < cell.size() && cell[at] >= '0' && cell[at] <= '9'; ++at)
        if ((digits = digits * 10 + static_cast<std::uint32_t>(cell[at] - '0')) >= EXACT_LIMIT)
            return false;
    if (at == wholeStart)
        return false;
    std::size_t decimals = 0;
    if (at < cell.size() && cell[at] == '.') {
        for (++at; at < cell.size() && cell[at] >= '0' && cell[at] <= '9'; ++at, ++decimals)
            if (decimals == 10 || (digits = digits * 10 + static_cast<std::uint32_t>(cell[at] - '0')) >= EXACT_LIMIT)
                return false;
        if (decimals == 0)
            return false;
    }
    if (at != cell.size())
        return false;
    const auto magnitude = static_cast<float>(static_cast<double>(digits) / TENS[decimals]);
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

bool parseFloat(std::string_view cell, float& value)
{
    return parseShortDecimal(cell, value) || parseWhole(cell, value);
}

bool parseDouble(std::string_view cell, double& value)
{
    return parseWhole(cell, value);
}
