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

// Reads a decimal exponent such as e-05 from `at` on into `exponent`.
bool readExponent(std::string_view cell, std::size_t& at, int& exponent)
{
    if (at == cell.size() || (cell[at] != 'e' && cell[at] != 'E'))
        return true;
    ++at;
    const bool negative = at < cell.size() && cell[at] == '-';
    at += at < cell.size() && (cell[at] == '-' || cell[at] == '+') ? 1 : 0;
    const std::size_t start = at;
    for (; at < cell.size() && cell[at] >= '0' && cell[at] <= '9' && at - start < 3; ++at)
        exponent = exponent * 10 + (cell[at] - '0');
    exponent = negative ? -exponent : exponent;
    return at > start;
}

// Most cells are short decimals such as 0.07274 or 9.368e-05. When their
// digits make a whole number below 2^24 and the power of ten they are
// scaled by is at most 10^10 either way, that number and that power are
// exact floats, and one float division or product of them is the correctly
// rounded float of the decimal: the value from_chars gives, found several
// times quicker. Anything else is left to from_chars.
bool parseShortDecimal(std::string_view cell, float& value)
{
    constexpr std::uint64_t EXACT_LIMIT = 1U << 24;
    constexpr float TENS[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F, 1e8F, 1e9F, 1e10F};
    constexpr int MOST_TENS = 10;
    constexpr std::size_t LONGEST = 19; // the digits then fit in 64 bits
    if (cell.size() > LONGEST)
        return false;
    const char* p = cell.data();
    const char* const end = p + cell.size();
    const bool negative = p != end && *p == '-';
    p += negative ? 1 : 0;
    const auto digit = [](char c) { return static_cast<unsigned>(c - '0'); };
    std::uint64_t digits = 0;
    const char* const whole = p;
    for (; p != end && digit(*p) < 10; ++p)
        digits = digits * 10 + digit(*p);
    if (p == whole)
        return false;
    int decimals = 0;
    if (p != end && *p == '.') {
        const char* const point = ++p;
        for (; p != end && digit(*p) < 10; ++p)
            digits = digits * 10 + digit(*p);
        decimals = static_cast<int>(p - point);
        if (decimals == 0)
            return false;
    }
    std::size_t at = static_cast<std::size_t>(p - cell.data());
    int exponent = 0;
    if (digits >= EXACT_LIMIT || !readExponent(cell, at, exponent) || at != cell.size())
        return false;
    const int scale = exponent - decimals;
    if (scale < -MOST_TENS || scale > MOST_TENS)
        return false;
    const auto exact = static_cast<float>(digits);
    const float magnitude = scale < 0 ? exact / TENS[-scale] : exact * TENS[scale];
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
