// A record set member by member shows each field at its own place in every
// output form and reads back from each into the same member: the binary
// record at the field's offset, the normal row under its column label, the
// transposed layout in its label row.

#include "conversion/output_formats.h"
#include "readback/output_reader.h"
#include "record_by_name.h"
#include "sample_files.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <map>
#include <sstream>

namespace {

const char* const HEADER = "Tidelume processed data file. Serial: S Orvantis v1.31\r\nSource file: A\r\n"
                           "Calibration file: C\r\nChannel: Lu, W\r\n";

double storedAt(const unsigned char* bytes, const FieldByName& field)
{
    uint32_t bits = 0;
    for (std::size_t i = field.size; i-- > 0;)
        bits = bits << 8 | bytes[field.offset + i];
    if (field.real)
        return std::bit_cast<float>(bits);
    return field.size == 2 ? static_cast<int16_t>(bits) : static_cast<int32_t>(bits);
}

// Each label of a table with the cell of the first spectrum beside or below it.
std::map<std::string, std::string> cellsByLabel(const std::string& text, bool transposed)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(text.substr(std::string(HEADER).size()));
    for (std::string line; std::getline(lines, line, '\n');) {
        std::istringstream cells(line.substr(0, line.find('\r')));
        rows.emplace_back();
        for (std::string cell; std::getline(cells, cell, ',');)
            rows.back().push_back(cell);
    }
    std::map<std::string, std::string> labelled;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (transposed)
            labelled[rows[i][0]] = rows[i].at(1);
        else if (i == 0)
            for (std::size_t c = 0; c < rows[0].size(); ++c)
                labelled[rows[0][c]] = rows.at(1).at(c);
    return labelled;
}

// A text form holds the printed number, which reads back as a float in a real field.
double printed(const FieldByName& field, const std::string& cell)
{
    return field.real ? static_cast<double>(std::stof(cell)) : std::stod(cell);
}

SpectrumRecord readBack(const std::string& path)
{
    OutputReader reader(path);
    OutputSpectrum spectrum;
    EXPECT_TRUE(reader.next(spectrum)) << path;
    return spectrum.record;
}

TEST(RecordFields, EachMemberHasItsOwnPlaceInEveryOutputFormAndReadsBackIntoItself)
{
    const SpectrumRecord record = recordByName();
    const std::vector<float> pixels(MAX_PIXELS, 1.5f);
    unsigned char bytes[SPECTRUM_RECORD_SIZE];
    encodeRecord(record, bytes);

    const TempDir dir;
    const Conversion conversion;
    const std::string binary = dir.file("R.BDT"), normal = dir.file("R.DAT"), transposed = dir.file("R.TDAT");
    std::FILE* out = std::fopen(binary.c_str(), "wb");
    ASSERT_EQ(writeOutput(conversion, record, pixels.data(), out, true), 0);
    std::fclose(out);
    out = std::fopen(normal.c_str(), "wb");
    std::fputs(HEADER, out);
    ASSERT_EQ(writeHeader(conversion, -1, record, out), 0);
    ASSERT_EQ(writeOutput(conversion, record, pixels.data(), out, false), 0);
    std::fclose(out);
    std::FILE* temporary = std::tmpfile();
    ASSERT_EQ(writeOutput(conversion, record, pixels.data(), temporary, true), 0);
    std::fflush(temporary);
    out = std::fopen(transposed.c_str(), "wb");
    std::fputs(HEADER, out);
    ASSERT_EQ(writeTransposed(conversion, temporary, out), 0);
    std::fclose(out);
    std::fclose(temporary);

    const auto columns = cellsByLabel(readFile(normal), false);
    const auto labelRows = cellsByLabel(readFile(transposed), true);
    const SpectrumRecord fromBinary = readBack(binary), fromNormal = readBack(normal);
    const SpectrumRecord fromTransposed = readBack(transposed);
    for (const FieldByName& field : FIELDS_BY_NAME) {
        SCOPED_TRACE(field.member);
        const double value = field.of(record);
        EXPECT_EQ(storedAt(bytes, field), value);
        EXPECT_EQ(columns.at(field.columnLabel), field.cell);
        EXPECT_EQ(labelRows.at(field.rowLabel), field.labelCell);
        EXPECT_EQ(field.of(fromBinary), value);
        EXPECT_EQ(field.of(fromNormal), printed(field, field.cell));
        EXPECT_EQ(field.of(fromTransposed), printed(field, field.labelCell));
    }
}

} // namespace
