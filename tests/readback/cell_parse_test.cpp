// A value cell reads as the float that std::from_chars makes of it, bit for
// bit, whether it takes the short-decimal path or not: random decimals of
// every length, precision and exponent, and the cells at the edges of that
// path. Read from the start of a row's text, a cell ends at the delimiter
// or the text's end, whatever follows, and reads the same.

#include "readback/output_lines.h"
#include "readback/short_decimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

namespace {

// from_chars as the reader has always taken a cell: whole, an optional '+'.
bool referenceFloat(std::string_view cell, float& value)
{
    if (!cell.empty() && cell.front() == '+')
        cell.remove_prefix(1);
    const auto [stop, error] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    return !cell.empty() && error == std::errc() && stop == cell.data() + cell.size();
}

void expectSame(bool parsed, float read, bool expectedParsed, float expected, const std::string& text)
{
    ASSERT_EQ(parsed, expectedParsed) << '"' << text << '"';
    if (parsed) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(read), std::bit_cast<std::uint32_t>(expected)) << '"' << text << '"';
    }
}

// The cell alone, then leading a row's text: followed by the delimiter and
// digits (which must not join it), and ending the text.
void expectSameAsReference(const std::string& cell)
{
    float expected = 0;
    const bool expectedParsed = referenceFloat(cell, expected);
    float read = 0;
    const bool parsed = parseFloat(cell, read);
    expectSame(parsed, read, expectedParsed, expected, cell);
    for (const std::string& text : {cell + ",12345678,9", cell}) {
        std::size_t length = 0;
        const bool parsedCell = parseFloatCell(text, ',', read, length);
        ASSERT_EQ(length, cell.find(',') == std::string::npos ? cell.size() : cell.find(',')) << '"' << text << '"';
        if (length == cell.size())
            expectSame(parsedCell, read, expectedParsed, expected, text);
    }
}

} // namespace

TEST(CellParse, RandomDecimalsReadAsFromCharsReadsThem)
{
    std::mt19937_64 random(26);
    for (int i = 0; i < 400000; ++i) {
        const int whole = static_cast<int>(random() % 10);
        const int decimals = static_cast<int>(random() % 13);
        std::string cell = random() % 4 == 0 ? "-" : "";
        for (int d = 0; d < whole + 1; ++d)
            cell += static_cast<char>('0' + (d == 0 && whole > 0 && random() % 2 ? random() % 9 + 1 : random() % 10));
        if (decimals > 0)
            cell += '.';
        for (int d = 0; d < decimals; ++d)
            cell += static_cast<char>('0' + random() % 10);
        if (random() % 3 == 0)
            cell += (random() % 2 ? "e-" : random() % 2 ? "e+" : "E") + std::to_string(random() % 25);
        expectSameAsReference(cell);
    }
}

TEST(CellParse, CellsAtTheEdgesOfTheShortPathReadAsFromCharsReadsThem)
{
    for (const char* cell : {"0",
                             "-0",
                             "0.0",
                             "16777215",
                             "16777216",
                             "1677721.5",
                             "1677721.6",
                             "0.0000000001",
                             "0.00000000001",
                             "1.0000000001",
                             "9.9999999999",
                             "0.3",
                             "0.1",
                             "-0.07274",
                             "0.",
                             ".5",
                             "-",
                             "",
                             "+1.5",
                             "1e5",
                             "1.5e-3",
                             "nan",
                             "inf",
                             "1.5x",
                             "1..5",
                             "-.5",
                             "00012.50",
                             "1,5",
                             "9.368e-05",
                             "1e10",
                             "1e11",
                             "1e-10",
                             "1e-11",
                             "16777215e-10",
                             "1.5e",
                             "1.5e-",
                             "1.5e+3",
                             "2E3",
                             "1e0005",
                             "-0e-3",
                             "7.2e-010",
                             "340282346638528859811704183484516925440",
                             "3.4028236e38",
                             "1e-46",
                             "0.1234567",
                             "0.12345678",
                             "0.123456789",
                             "1.2345678901234567",
                             "0.0000000000000000001",
                             "123456789012.5",
                             "12345678901234567890.5",
                             "0.0012345e-05",
                             " 1"})
        expectSameAsReference(cell);
}

// A whole number of digits a float holds exactly, scaled down by a power of
// ten the short path takes, reads as the correctly rounded quotient: the
// two exact floats divided. Every number at 10^-10, where a product in
// double comes nearest to rounding otherwise, and every 97th at the other
// powers (all of them were checked once, in a few seconds).
TEST(CellParse, ShortDecimalsScaledDownReadAsTheQuotient)
{
    constexpr float TENS[] = {1e0F, 1e1F, 1e2F, 1e3F, 1e4F, 1e5F, 1e6F, 1e7F, 1e8F, 1e9F, 1e10F};
    for (int k = 1; k <= 10; ++k) {
        // The cell "<digits>e-<k>", its digits counted up in place.
        std::string cell = "0e-" + std::to_string(k);
        std::size_t digits = 1;
        std::string firstWrong;
        const std::uint32_t stride = k == 10 ? 1 : 97;
        const auto readsAsQuotient = [&](std::uint32_t whole) {
            float read = 0;
            const char* const end = cell.data() + cell.size();
            return scanShortDecimal(cell.data(), end, read) == end &&
                   std::bit_cast<std::uint32_t>(read) ==
                       std::bit_cast<std::uint32_t>(static_cast<float>(whole) / TENS[k]);
        };
        for (std::uint32_t whole = 0; whole < (1U << 24) && firstWrong.empty(); ++whole) {
            if (whole % stride == 0 && !readsAsQuotient(whole))
                firstWrong = cell;
            std::size_t at = digits;
            while (at > 0 && cell[at - 1] == '9')
                cell[--at] = '0';
            if (at == 0) {
                cell.insert(cell.begin(), '1');
                ++digits;
            } else {
                ++cell[at - 1];
            }
        }
        EXPECT_EQ(firstWrong, "") << "scaled down by 10^" << k;
    }
}
