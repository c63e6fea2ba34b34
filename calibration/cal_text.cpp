#include "calibration/cal_text.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int MAX_SKIPPED_SPACES = 256;

bool endsToken(char c)
{
    return c == ',' || static_cast<signed char>(c) <= 32;
}

char foldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

void readToken(const std::string& line, char (&field)[CAL_TEXT_FIELD_SIZE])
{
    std::size_t pos = 0;
    while (pos < line.size() && pos < MAX_SKIPPED_SPACES && line[pos] == ' ')
        ++pos;
    std::size_t length = 0;
    while (pos + length < line.size() && length < CAL_TEXT_FIELD_SIZE - 1 && !endsToken(line[pos + length]))
        ++length;
    std::memcpy(field, line.data() + pos, length);
    field[length] = '\0';
}

std::vector<std::string> splitLines(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(pos));
            break;
        }
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n')
            ++pos;
    }
    return lines;
}

bool lessIgnoringCase(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(foldCase(x)) < static_cast<unsigned char>(foldCase(y));
    });
}
