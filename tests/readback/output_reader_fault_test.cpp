// Damaged outputs: every cut of a file and a foreign character anywhere in
// its table either read as a leading part of the spectra or end in a clear
// OutputReadError, never in a crash or a wrong spectrum.

#include "calibration/cal_table.h"
#include "conversion/default_context.h"
#include "readback/output_reader.h"
#include "core/file_path.h"
#include "output_reader_support.h"
#include "sample_files.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

bool sameSpectrum(const OutputSpectrum& a, const OutputSpectrum& b)
{
    return std::memcmp(&a.record, &b.record, SPECTRUM_RECORD_SIZE) == 0 && a.values == b.values;
}

// Reads the file; on success its spectra must lead the whole file's, all
// but the last of them unchanged (a cut may shorten the last number).
void expectPrefixOrError(const std::string& path, const std::vector<OutputSpectrum>& whole, std::size_t cut)
{
    try {
        const std::vector<OutputSpectrum> read = readAll(path);
        ASSERT_LE(read.size(), whole.size()) << "cut at " << cut;
        for (std::size_t j = 0; j + 1 < read.size(); ++j)
            ASSERT_TRUE(sameSpectrum(read[j], whole[j])) << "cut at " << cut << ", spectrum " << j;
    } catch (const OutputReadError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
}

std::size_t tableStart(const std::string& bytes)
{
    std::size_t at = 0;
    for (int line = 0; line < 4; ++line)
        at = bytes.find('\n', at) + 1;
    return at;
}

class DamagedOutput : public ::testing::TestWithParam<bool> {
protected:
    void TearDown() override { freeCals(); }
    TempDir dir;
};

TEST_P(DamagedOutput, EveryCutOfATextOutputReadsALeadingPartOrFails)
{
    const std::string path = convertExample(dir, "SET0101B.ASC", 1, GetParam(), false, ',');
    const std::string bytes = readFile(path);
    const std::vector<OutputSpectrum> whole = readAll(path);
    const std::string damaged = dir.file("CUT.DAT");
    for (std::size_t cut = 0; cut < bytes.size(); cut += cut < tableStart(bytes) + 16 ? 1 : 89) {
        writeFile(damaged, bytes.substr(0, cut));
        expectPrefixOrError(damaged, whole, cut);
    }
}

TEST_P(DamagedOutput, AForeignCharacterAnywhereInTheTableIsAnError)
{
    const std::string path = convertExample(dir, "SET0101B.ASC", 1, GetParam(), false, ',');
    const std::string bytes = readFile(path);
    const std::string damaged = dir.file("BAD.DAT");
    for (std::size_t at = tableStart(bytes); at < bytes.size(); at += 37) {
        std::string bad = bytes;
        bad[at] = 'Q';
        writeFile(damaged, bad);
        EXPECT_THROW(readAll(damaged), OutputReadError) << "at byte " << at;
    }
}

INSTANTIATE_TEST_SUITE_P(NormalAndTransposed, DamagedOutput, ::testing::Bool());

TEST(DamagedBinaryOutput, ACutInsideARecordIsAnErrorAndACutBetweenRecordsReadsThoseBefore)
{
    TempDir dir;
    const std::string path = convertExample(dir, "SET0102A.BIN", 2, false, true, ',');
    freeCals();
    const std::string bytes = readFile(path);
    const std::vector<OutputSpectrum> whole = readAll(path);
    ASSERT_GT(whole.size(), 1u);
    const std::size_t recordSize = SPECTRUM_RECORD_SIZE + 4 * whole.front().values.size();
    ASSERT_EQ(bytes.size(), recordSize * whole.size());
    const std::string damaged = dir.file("CUT.BDT");
    for (std::size_t cut = 1; cut < bytes.size(); cut += cut % recordSize < 52 ? 1 : 97) {
        writeFile(damaged, bytes.substr(0, cut));
        if (cut % recordSize != 0) {
            EXPECT_THROW(readAll(damaged), OutputReadError) << "cut at " << cut;
            continue;
        }
        const std::vector<OutputSpectrum> read = readAll(damaged);
        ASSERT_EQ(read.size(), cut / recordSize);
        EXPECT_TRUE(sameSpectrum(read.back(), whole[read.size() - 1]));
    }
}

TEST(DamagedBinaryOutput, AnImpossibleValueCountIsAnError)
{
    TempDir dir;
    unsigned char record[SPECTRUM_RECORD_SIZE] = {};
    record[46] = 0x01;
    record[47] = 0x80; // numPix -32767
    const std::string path = dir.write("NEG.BDT", std::string(reinterpret_cast<char*>(record), sizeof record));
    EXPECT_THROW(readAll(path), OutputReadError);
}

std::string headerLines()
{
    return "Tidelume processed data file. Serial: TDL0417 Orvantis v1.31\r\nSource file: A.ASC\r\n"
           "Calibration file: E.CAL\r\nChannel: Ed, uW\r\n";
}

TEST(HeaderOnlyOutput, HeaderLinesWithoutTableAreAnErrorThatSaysSo)
{
    TempDir dir;
    try {
        readAll(dir.write("HEAD.DAT", headerLines()));
        FAIL() << "read";
    } catch (const OutputReadError& error) {
        EXPECT_NE(std::string(error.what()).find("table after the header lines is missing"), std::string::npos)
            << error.what();
    }
}

TEST(HeaderOnlyOutput, ATableWithoutSpectraHasNone)
{
    TempDir dir;
    const std::string columns = "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix,?,?\r\n";
    OutputReader normal(dir.write("EMPTY.DAT", headerLines() + columns));
    EXPECT_EQ(normal.layout(), OutputLayout::Normal);
    EXPECT_EQ(normal.wavelengths().size(), 2u);
    EXPECT_TRUE(readAll(normal).empty());
    std::string labels;
    for (const char* label : {"Time", "temp", "volts", "depth", "process", "N", "Scale", "Do", "Dt", "intTime",
                              "firstPix", "pixInc", "numPix"})
        labels += std::string(label) + "\r\n";
    OutputReader transposed(dir.write("EMPTY2.DAT", headerLines() + labels));
    EXPECT_EQ(transposed.layout(), OutputLayout::Transposed);
    EXPECT_TRUE(readAll(transposed).empty());
}

TEST(OddDelimiter, ADelimiterThatNumbersAreWrittenWithIsRefused)
{
    TempDir dir;
    const std::string columns = "Time5temp5volts5depth5process5N5scale5Do5Dt5IntTime5firstPix5pixInc5numPix\r\n";
    EXPECT_THROW(OutputReader(dir.write("FIVE.DAT", headerLines() + columns)), OutputReadError);
}

// A folder is refused by its kind before any read; FIFOs and devices, which
// would block or never end, are the viewer's tests on the systems that have them.
TEST(NotAnOutput, WhatIsNoRegularFileIsRefusedNamingIt)
{
    TempDir dir;
    const std::string folder = utf8FromPath(dir.path());
    try {
        OutputReader reader(folder);
        FAIL() << "a folder was read";
    } catch (const OutputReadError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open \"" + folder + "\": it is not a regular file");
    }
    const std::string missing = dir.file("NONE.DAT");
    try {
        OutputReader reader(missing);
        FAIL() << "a missing file was read";
    } catch (const OutputReadError& error) {
        EXPECT_EQ(std::string(error.what()).rfind("Cannot open \"" + missing + "\": ", 0), 0u) << error.what();
    }
}

} // namespace

// A normal table's column line and the fields of a row of three values.
const std::string NORMAL_COLUMNS =
    "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix,400,410,420\r\n";
const std::string THREE_VALUE_FIELDS = "7,1.5,2,3,4,1,1,0,0,100,0,1,3";

// A damaged value in a row of the normal layout is named with its line and
// place, whether the row's other values are scanned in one pass or not.

TEST(DamagedNormalRow, AValueOutOfPlaceIsNamedWithItsLine)
{
    const std::string& columns = NORMAL_COLUMNS;
    const std::string& fields = THREE_VALUE_FIELDS;
    TempDir dir;
    const struct {
        std::string values;
        std::string message;
    } rows[] = {
        {",0.5,0.25,0.125", ""},
        {",0.5,1e,0.125", "value 2 is not a number: \"1e\""},
        {",0.5,,0.125", "value 2 is not a number: \"\""},
        {",0.5,12345678901234567890.5,1.5e+20", ""},
        {",0.5,0.25", "the row ends after 2 of its 3 values"},
        {",0.5,0.25,0.125,", "the row has more than the 3 values it declares"},
        {",0.5,0.25,0.125\r", "value 3 is not a number: \"0.125\r\""},
    };
    for (const auto& row : rows) {
        const std::string path = dir.write("ROW.DAT", headerLines() + columns + fields + ",0.5,0.25,0.125\r\n" +
                                                          fields + row.values + "\r\n");
        std::string error;
        try {
            ASSERT_EQ(readAll(path).size(), 2u);
        } catch (const OutputReadError& caught) {
            error = caught.what();
        }
        EXPECT_EQ(error, row.message.empty() ? "" : path + ", line 7: " + row.message) << row.values;
    }
}

// Rows are parsed ahead in batches, by several threads: a damaged row far
// into a table still fails only when reached, after every spectrum before
// it, naming its line, or its byte offset once a seek made lines unknown.
TEST(DamagedNormalRow, ARowFarIntoTheTableFailsWhenReached)
{
    const std::string& columns = NORMAL_COLUMNS;
    const std::string& fields = THREE_VALUE_FIELDS;
    TempDir dir;
    const struct {
        int row; // the damaged one; the rows before it are whole
        std::string line;
        std::string message;
    } damages[] = {
        {700, fields + ",0.5,1e,0.125", "line 706: value 2 is not a number: \"1e\""},
        {401, "", "line 408: a blank line inside the table"},
        {999, fields + ",0.5", "line 1005: the row ends after 1 of its 3 values"},
    };
    for (const auto& damage : damages) {
        std::string text = headerLines() + columns;
        std::size_t damagedAt = 0;
        for (int j = 0; j < 1000; ++j) {
            damagedAt = j == damage.row ? text.size() : damagedAt;
            text += (j == damage.row ? damage.line : fields + ",0.5,0.25,0." + std::to_string(j)) + "\r\n";
        }
        const std::string path = dir.write("FAR.DAT", text);
        OutputReader reader(path);
        std::vector<std::int64_t> positions;
        OutputSpectrum spectrum;
        try {
            for (positions.push_back(reader.position()); reader.next(spectrum); positions.push_back(reader.position()))
                ASSERT_FLOAT_EQ(spectrum.values[2], std::stof("0." + std::to_string(positions.size() - 1)));
            ADD_FAILURE() << damage.message;
        } catch (const OutputReadError& error) {
            EXPECT_EQ(error.what(), path + ", " + damage.message);
        }
        EXPECT_EQ(positions.size(), static_cast<std::size_t>(damage.row + 1)) << damage.message;
        reader.seek(positions[positions.size() / 2]);
        try {
            while (reader.next(spectrum)) {
            }
            ADD_FAILURE() << damage.message;
        } catch (const OutputReadError& error) {
            const std::string where = damage.line.empty()
                                          ? "the line at byte " + std::to_string(text.find("\r\n7", damagedAt) + 2)
                                          : "the line at byte " + std::to_string(damagedAt);
            EXPECT_EQ(error.what(), path + ", " + where + damage.message.substr(damage.message.find(':')));
        }
    }
}
