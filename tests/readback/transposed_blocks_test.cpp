// A transposed table of more spectra than the reader takes at once reads as
// the same data in the normal layout, from the start and after any seek;
// a damaged cell beyond the first block is an error naming its line, and of
// several damaged rows (read side by side) the first is named.

#include "readback/output_reader.h"
#include "output_reader_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int SPECTRA = 5000;
constexpr int VALUES = 40; // rows enough for readers side by side
// The line of value row k: four header lines and thirteen label rows lead.
constexpr int FIRST_VALUE_LINE = 18;

const char* const HEADER = "Tidelume processed data file. Serial: S Orvantis v1.31\r\nSource file: A\r\n"
                           "Calibration file: C\r\nChannel: Lu, W\r\n";

std::string field(int j, int f)
{
    const std::string fields[] = {
        std::to_string(j),     "1.5", "2", std::to_string(j % 7), "4", "1", "1", "0", "0", "100", "0", "1",
        std::to_string(VALUES)};
    return fields[f];
}

std::string value(int j, int k)
{
    if (j % 1000 == 999) // a few cells beyond the short decimals, for from_chars
        return k % 2 ? "1.5e+20" : std::to_string(j) + "123456.125";
    return std::to_string(j * 10 + k) + ".25";
}

std::string normalTable()
{
    std::string text =
        std::string(HEADER) + "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix";
    for (int k = 0; k < VALUES; ++k)
        text += "," + std::to_string(400 + 10 * k);
    text += "\r\n";
    for (int j = 0; j < SPECTRA; ++j) {
        for (int f = 0; f < 13; ++f)
            text += (f ? "," : "") + field(j, f);
        for (int k = 0; k < VALUES; ++k)
            text += "," + value(j, k);
        text += "\r\n";
    }
    return text;
}

// Value rows as given: row k is its wavelength, then rows[k].
std::string transposedTable(const std::vector<std::vector<std::string>>& rows)
{
    std::string text = HEADER;
    const char* labels[] = {"Time", "temp", "volts",   "depth",    "process", "N",     "Scale",
                            "Do",   "Dt",   "intTime", "firstPix", "pixInc",  "numPix"};
    for (int f = 0; f < 13; ++f) {
        text += labels[f];
        for (int j = 0; j < SPECTRA; ++j)
            text += "," + field(j, f);
        text += "\r\n";
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        text += std::to_string(400 + 10 * k);
        for (const std::string& cell : rows[k])
            text += "," + cell;
        text += "\r\n";
    }
    return text;
}

std::vector<std::vector<std::string>> valueRows()
{
    std::vector<std::vector<std::string>> rows(VALUES);
    for (int k = 0; k < VALUES; ++k)
        for (int j = 0; j < SPECTRA; ++j)
            rows[static_cast<std::size_t>(k)].push_back(value(j, k));
    return rows;
}

void expectSame(const OutputSpectrum& a, const OutputSpectrum& b, std::size_t j)
{
    EXPECT_EQ(std::memcmp(&a.record, &b.record, SPECTRUM_RECORD_SIZE), 0) << "spectrum " << j;
    EXPECT_EQ(a.values, b.values) << "spectrum " << j;
}

std::string errorOf(const std::string& path)
{
    try {
        readAll(path);
    } catch (const OutputReadError& error) {
        return error.what();
    }
    return "read without an error";
}

} // namespace

TEST(TransposedBlocks, ManySpectraReadAsTheNormalLayoutFromTheStartAndAfterSeeks)
{
    TempDir dir;
    const std::vector<OutputSpectrum> expected = readAll(dir.write("N.DAT", normalTable()));
    ASSERT_EQ(expected.size(), std::size_t{SPECTRA});
    OutputReader reader(dir.write("T.DAT", transposedTable(valueRows())));
    ASSERT_EQ(reader.layout(), OutputLayout::Transposed);
    const std::vector<OutputSpectrum> read = readAll(reader);
    ASSERT_EQ(read.size(), expected.size());
    for (std::size_t j = 0; j < read.size(); ++j)
        expectSame(read[j], expected[j], j);
    const ValueMarks marks = reader.takeValueMarks();
    ASSERT_EQ(marks.rowStarts.size(), std::size_t{VALUES});
    EXPECT_EQ(marks.marks.size(), VALUES * ((SPECTRA + ValueMarks::STEP - 1) / ValueMarks::STEP));
    for (const std::size_t j : {4999, 0, 2047, 2048, 3001, 17, 4096, 4095, 2050}) {
        reader.seek(static_cast<std::int64_t>(j));
        OutputSpectrum spectrum;
        ASSERT_TRUE(reader.next(spectrum));
        expectSame(spectrum, expected[j], j);
    }
    OutputReader fresh(dir.write("T2.DAT", transposedTable(valueRows())));
    fresh.seek(4321); // before any block was read
    OutputSpectrum spectrum;
    ASSERT_TRUE(fresh.next(spectrum));
    expectSame(spectrum, expected[4321], 4321);
}

TEST(TransposedBlocks, ADamagedCellBeyondTheFirstBlockIsAnErrorNamingItsLine)
{
    TempDir dir;
    using Rows = std::vector<std::vector<std::string>>;
    struct Damage {
        std::size_t row; // the first damaged one
        void (*apply)(Rows& rows);
        std::string message;
    };
    const Damage damages[] = {
        {3, [](Rows& r) { r[3][4500] = "4.5Q"; }, "cell 4501 is not a value: \"4.5Q\""},
        {1, [](Rows& r) { r[1].push_back("7"); }, "cell 5001 is not a value: \"7\""},
        {4, [](Rows& r) { r[4].pop_back(); }, "the row has 4999 values for 5000 spectra"},
        {21,
         [](Rows& r) {
             r[37][2100] = "x";
             r[21][4000] = "";
             r[33].pop_back();
         },
         "cell 4001 is not a value: \"\""},
        {2,
         [](Rows& r) {
             r[39][2050] = "-";
             r[2][2049] = "1e";
         },
         "cell 2050 is not a value: \"1e\""},
        // A later row fails in the first block, an earlier one only in the last.
        {2,
         [](Rows& r) {
             r[2].push_back("7");
             r[30].resize(1000);
         },
         "cell 5001 is not a value: \"7\""},
    };
    for (const Damage& damage : damages) {
        Rows rows = valueRows();
        damage.apply(rows);
        const std::string path = dir.write("BAD.DAT", transposedTable(rows));
        const std::string expected =
            path + ", line " + std::to_string(FIRST_VALUE_LINE + static_cast<int>(damage.row)) + ": " + damage.message;
        EXPECT_EQ(errorOf(path), expected);
    }
}

// Damage to the table's lines: the first error met reading it line by line
// is named with its line, though a large table's label rows are parsed
// while its value rows are found.
TEST(TransposedBlocks, ADamagedLineIsTheErrorOfTheFirstDamageInTheTable)
{
    TempDir dir;
    using Lines = std::vector<std::string>;
    constexpr int TEMP_LINE = 6;
    struct Damage {
        void (*apply)(Lines& lines);
        int line;
        std::string message;
    };
    const Damage damages[] = {
        {[](Lines& l) { l.insert(l.begin() + FIRST_VALUE_LINE + 9, ""); }, FIRST_VALUE_LINE + 11,
         "a blank line inside the table"},
        {[](Lines& l) { l.insert(l.end() - 1, "900,1"); }, FIRST_VALUE_LINE + VALUES,
         "the table has more value rows than the 40 declared"},
        {[](Lines& l) { l.erase(l.end() - 3, l.end() - 1); }, FIRST_VALUE_LINE + VALUES - 3,
         "the table ends after 38 of its 40 value rows"},
        {[](Lines& l) { l[FIRST_VALUE_LINE - 1 + 7].replace(0, 3, "4x0"); }, FIRST_VALUE_LINE + 7,
         "the row's wavelength is not a number: \"4x0\""},
        {[](Lines& l) { l.erase(l.begin() + 7); }, 8, "the row \"depth\" was expected, found \"process\""},
        {[](Lines& l) { l.erase(l.begin() + 11, l.end()); }, 11, "the table ends before its row \"Do\""},
        {[](Lines& l) {
             l[TEMP_LINE - 1] += ",1.5";
             l.insert(l.begin() + FIRST_VALUE_LINE + 2, "");
         },
         TEMP_LINE, "the row has more cells than the \"Time\" row"},
        {[](Lines& l) {
             l[TEMP_LINE - 1].replace(l[TEMP_LINE - 1].size() - 3, 3, "1.x");
             l.pop_back();
             l.pop_back();
         },
         TEMP_LINE, "cell 5000 is not a number: \"1.x\""},
    };
    const std::string table = transposedTable(valueRows());
    for (const Damage& damage : damages) {
        Lines lines;
        for (std::size_t at = 0, end = 0; at < table.size(); at = end + 2) {
            end = table.find("\r\n", at);
            lines.push_back(table.substr(at, end - at));
        }
        lines.push_back(""); // what follows the last line end
        damage.apply(lines);
        std::string text;
        for (std::size_t i = 0; i < lines.size(); ++i)
            text += lines[i] + (i + 1 < lines.size() ? "\r\n" : "");
        const std::string path = dir.write("BAD.DAT", text);
        EXPECT_EQ(errorOf(path), path + ", line " + std::to_string(damage.line) + ": " + damage.message);
    }
}
