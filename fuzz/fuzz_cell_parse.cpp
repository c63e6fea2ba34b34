// The value cell reader against from_chars on arbitrary text: the cell up to
// the first delimiter reads as the float from_chars makes of all of it
// (after an optional '+'), bit for bit, or not at all, whether taken alone
// or from the start of a row's text, where it must end at that delimiter.

#include "readback/output_lines.h"
#include "readback/short_decimal.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool sameFloat(bool parsed, float value, bool expectedParsed, float expected)
{
    return parsed == expectedParsed &&
           (!parsed || std::bit_cast<std::uint32_t>(value) == std::bit_cast<std::uint32_t>(expected));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string_view cell = text.substr(0, text.find(','));
    std::string_view number = cell;
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    float expected = 0;
    const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), expected);
    const bool expectedParsed = !number.empty() && error == std::errc() && stop == number.data() + number.size();

    float alone = 0;
    const bool parsedAlone = parseFloat(cell, alone);
    float inRow = 0;
    std::size_t length = 0;
    const bool parsedInRow = parseFloatCell(text, ',', inRow, length);
    if (!sameFloat(parsedAlone, alone, expectedParsed, expected) || length != cell.size() ||
        !sameFloat(parsedInRow, inRow, expectedParsed, expected))
        std::abort();
    return 0;
}
