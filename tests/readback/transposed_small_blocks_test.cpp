// Small random transposed tables, some damaged, read in blocks of a few
// spectra by several threads sharing single rows: every spectrum, every
// seek, the value marks and any error must come out as when the table is
// read in one block by one thread (except that the spectra of the blocks
// before a damaged one come out before its error).

#include "readback/output_reader.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

const char* const LABELS[] = {"Time", "temp", "volts",   "depth",    "process", "N",     "Scale",
                              "Do",   "Dt",   "intTime", "firstPix", "pixInc",  "numPix"};

std::string table(int spectra, const Rows& rows, std::size_t declaredRows)
{
    std::string text = "Tidelume processed data file. Serial: S Orvantis v1.31\nSource file: A\n"
                       "Calibration file: C\nChannel: Ed, W\n";
    for (int f = 0; f < 13; ++f) {
        text += LABELS[f];
        for (int j = 0; j < spectra; ++j)
            text += "," + (f == 0 ? std::to_string(j) : f == 12 ? std::to_string(declaredRows) : "1");
        text += "\n";
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        text += std::to_string(400 + k);
        for (const std::string& cell : rows[k])
            text += "," + cell;
        text += "\n";
    }
    return text;
}

// A table of up to 24 spectra and 12 rows, with up to two damages to its
// cells, its rows or its lines.
std::string randomTable(std::mt19937& random)
{
    const char* const cells[] = {"0", "0.07274", "-9.368e-05", "1.5e+20", "123456789.125", "12", "3.25", "7e-3"};
    const char* const bad[] = {"x", "", "1..2", "1e", "-", "4.5Q"};
    const int spectra = 1 + static_cast<int>(random() % 24);
    Rows rows(1 + random() % 12);
    for (auto& row : rows)
        for (int j = 0; j < spectra; ++j)
            row.push_back(cells[random() % std::size(cells)]);
    std::size_t declared = rows.size();
    for (auto damages = random() % 3; damages > 0; --damages) {
        auto& row = rows[random() % rows.size()];
        if (row.empty())
            continue;
        switch (random() % 5) {
        case 0: row[random() % row.size()] = bad[random() % std::size(bad)]; break;
        case 1: row.resize(random() % row.size()); break;
        case 2: row.push_back("1"); break;
        case 3: declared = random() % 2 ? declared + 1 : declared - 1; break;
        default: {
            const std::string text = table(spectra, rows, declared);
            return text.substr(0, random() % text.size());
        }
        }
    }
    return table(spectra, rows, declared);
}

void describe(std::ostringstream& out, const OutputSpectrum& spectrum)
{
    out << spectrum.record.time << ':';
    for (float value : spectrum.values) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        out << ' ' << bits;
    }
    out << '\n';
}

// Everything a reading gives: the spectra, the marks, spectra read again
// after seeks, or the error met.
std::string readingOf(const std::string& path, const TableReading& reading, unsigned seed)
{
    std::ostringstream out;
    try {
        OutputReader reader(path, reading);
        std::size_t count = 0;
        for (OutputSpectrum spectrum; reader.next(spectrum); ++count)
            describe(out, spectrum);
        const ValueMarks marks = reader.takeValueMarks();
        for (const std::uint32_t mark : marks.marks)
            out << mark << ' ';
        std::mt19937 random(seed);
        for (int seek = 0; seek < 6 && count > 0; ++seek) {
            OutputSpectrum spectrum;
            reader.seek(static_cast<std::int64_t>(random() % count));
            if (reader.next(spectrum))
                describe(out, spectrum);
        }
    } catch (const OutputReadError& error) {
        // Read in blocks, the spectra before a damaged block come out first.
        return std::string("error: ") + error.what();
    }
    return out.str();
}

} // namespace

TEST(TransposedSmallBlocks, ReadAsInOneBlockByOneThread)
{
    TempDir dir;
    std::mt19937 random(26);
    const TableReading oneBlock{1 << 20, 1, 16};
    const TableReading smallBlocks[] = {{3, 3, 1}, {1, 2, 1}, {5, 4, 2}, {16, 2, 3}};
    int errors = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string path = dir.write("T.DAT", randomTable(random));
        const std::string expected = readingOf(path, oneBlock, static_cast<unsigned>(i));
        errors += expected.starts_with("error: ") ? 1 : 0;
        for (const TableReading& reading : smallBlocks)
            ASSERT_EQ(readingOf(path, reading, static_cast<unsigned>(i)), expected)
                << "table " << i << ", blocks of " << reading.blockSpectra << " spectra";
    }
    // Both kinds of table came up often.
    EXPECT_GT(errors, 60);
    EXPECT_LT(errors, 240);
}
