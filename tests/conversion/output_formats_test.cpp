#include "conversion/output_formats.h"

#include "calibration/cal_table.h"
#include "core/file_handle.h"
#include "conversion/default_context.h"
#include "log_capture.h"
#include "temp_dir.h"
#include "sample_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace {

std::string written(const std::function<void(std::FILE*)>& write)
{
    FileHandle f(std::tmpfile());
    write(f.get());
    std::rewind(f.get());
    std::string bytes;
    for (int c = std::fgetc(f.get()); c != EOF; c = std::fgetc(f.get()))
        bytes += static_cast<char>(c);
    return bytes;
}

SpectrumRecord exampleRecord()
{
    SpectrumRecord r{};
    r.time = 1000;
    r.temp = 12.46f;
    r.volts = 11.2f;
    r.depth = 3.456f;
    r.process = 4;
    r.N = 1;
    r.scale = 1;
    r.Do = 512.3f;
    r.Dt = 0.5f;
    r.intTime = 100;
    r.firstPix = 10;
    r.pixInc = 2;
    r.numPix = 2;
    return r;
}

SpectrumRecord fiveValueRecord(int32_t time)
{
    SpectrumRecord r = exampleRecord();
    r.time = time;
    r.firstPix = 8;
    r.pixInc = 1;
    r.numPix = 5;
    return r;
}

class OutputFormats : public ::testing::Test {
protected:
    void SetUp() override
    {
        freeCals();
        delimiter = ',';
        verboseLog = 0;
    }
    void TearDown() override { freeCals(); }

    void loadSmallCalibration()
    {
        const std::string cal = dir.file("SMALL.CAL");
        writeFile(cal, smallCalibrationText());
        loadCalFile(cal.c_str(), 0, 0, LogCapture::sink);
        ASSERT_TRUE(slotLoaded(0));
    }

    TempDir dir;
    LogCapture log;
};

TEST_F(OutputFormats, TextRowMatchesTheDocumentedExampleByteForByte)
{
    const float values[2] = {0.0123456f, 2.0f};
    int16_t result = -1;
    const std::string row = written([&](std::FILE* f) { result = writeOutput(exampleRecord(), values, f, 0); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(row, "1000,12.5,11.20,3.46,4,1,1,512.3,0.5,100,10,2,2,0.012346,2\r\n");
}

TEST_F(OutputFormats, DebugMessageNamesTheDarkValuesBeforeWriting)
{
    verboseLog = 1;
    const float values[2] = {1, 2};
    written([&](std::FILE* f) { writeOutput(exampleRecord(), values, f, 1); });
    EXPECT_EQ(log.joined(), "Write Do:512.299988 Dt:0.500000\n");
}

TEST_F(OutputFormats, ColumnHeaderWithTabsAndUnloadedChannelShowsQuestionMarks)
{
    delimiter = '\t';
    const std::string header = written([](std::FILE* f) { EXPECT_EQ(writeHeader(3, exampleRecord(), f), 0); });
    EXPECT_EQ(header,
              "Time\ttemp\tvolts\tdepth\tprocess\tN\tscale\tDo\tDt\tIntTime\tfirstPix\tpixInc\tnumPix\t?\t?\r\n");
}

TEST_F(OutputFormats, ColumnHeaderOfAChannelOutsideTheTableShowsQuestionMarks)
{
    loadSmallCalibration();
    const std::string header = written([](std::FILE* f) { writeHeader(-1, exampleRecord(), f); });
    EXPECT_NE(header.find("numPix,?,?\r\n"), std::string::npos) << header;
}

TEST_F(OutputFormats, ColumnHeaderCarriesWavelengthsOfEachPixelNumber)
{
    loadSmallCalibration();
    // Pixels 10 and 12: 350 + 33 - 0.01 and 350 + 39.6 - 0.0144.
    const std::string header = written([](std::FILE* f) { writeHeader(0, exampleRecord(), f); });
    EXPECT_EQ(header, "Time,temp,volts,depth,process,N,scale,Do,Dt,IntTime,firstPix,pixInc,numPix,383.0,389.6\r\n");
}

TEST_F(OutputFormats, BinaryOutputIsLittleEndianRecordsFollowedByFloats)
{
    float values[100];
    for (int k = 0; k < 100; ++k)
        values[k] = static_cast<float>(k) * 0.5f;
    SpectrumRecord record = exampleRecord();
    record.channel = 1;
    record.numPix = 100;
    const std::string bytes = written([&](std::FILE* f) {
        EXPECT_EQ(writeOutput(record, values, f, 1), 0);
        EXPECT_EQ(writeOutput(record, values, f, 1), 0);
    });
    ASSERT_EQ(bytes.size(), 896u);
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
    const SpectrumRecord second = decodeRecord(raw + 448);
    EXPECT_EQ(second.channel, 1);
    EXPECT_EQ(static_cast<int>(second.time), 1000); // a copy: the packed field is unaligned
    EXPECT_EQ(second.numPix, 100);
    EXPECT_EQ(raw[46], 100); // numPix, low byte first
    EXPECT_EQ(raw[47], 0);
    float last;
    decodeFloatsLE(raw + 448 + 48 + 4 * 99, 1, &last);
    EXPECT_EQ(last, 49.5f);
}

TEST_F(OutputFormats, WriteFailureIsReportedInBothForms)
{
    const float values[2] = {1, 2};
    const std::string path = dir.file("ro.txt");
    writeFile(path, "");
    FileHandle readOnly(std::fopen(path.c_str(), "rb"));
    ASSERT_TRUE(readOnly);
    EXPECT_EQ(writeOutput(exampleRecord(), values, readOnly.get(), 1), 1);
    EXPECT_EQ(writeOutput(exampleRecord(), values, readOnly.get(), 0), 1);
}

TEST_F(OutputFormats, RowOfTheLargestSpectrumWithLongNumbersIsWhole)
{
    // Every value at its longest: sign, five digits, exponent of three digits.
    std::vector<float> values(MAX_PIXELS, -1.2345e-38f);
    SpectrumRecord record = exampleRecord();
    record.numPix = MAX_PIXELS;
    record.temp = -3.0e38f;
    const std::string row = written([&](std::FILE* f) { EXPECT_EQ(writeOutput(record, values.data(), f, 0), 0); });
    char temp[64];
    std::snprintf(temp, sizeof temp, "1000,%.1f,", static_cast<double>(record.temp));
    EXPECT_EQ(row.substr(0, std::strlen(temp)), temp);
    std::string cells;
    for (int k = 0; k < MAX_PIXELS; ++k)
        cells += ",-1.2345e-38";
    EXPECT_EQ(row.substr(row.size() - cells.size() - 2), cells + "\r\n");
}

class Transposed : public OutputFormats {
protected:
    std::vector<std::string> transpose(int spectra)
    {
        FileHandle temporary(std::tmpfile());
        for (int j = 0; j < spectra; ++j) {
            const float values[5] = {0.5f + static_cast<float>(j), 1.25f, 2.0f + static_cast<float>(j * 10), 3.0f,
                                     1234567.0f};
            writeOutput(fiveValueRecord(1000 + j), values, temporary.get(), 1);
        }
        const std::string table = written([&](std::FILE* f) { EXPECT_EQ(writeTransposed(temporary.get(), f), 0); });
        return splitCrLfLines(table);
    }
};

TEST_F(Transposed, ThreeSpectraOfFiveValuesGiveThirteenLabelRowsAndFiveValueRows)
{
    const std::vector<std::string> rows = transpose(3);
    const std::vector<std::string> expected = {
        "Time,1000,1001,1002",
        "temp,12.46,12.46,12.46",
        "volts,11.20,11.20,11.20",
        "depth,3.46,3.46,3.46",
        "process,4,4,4",
        "N,1,1,1",
        "Scale,1,1,1",
        "Do,512.3,512.3,512.3",
        "Dt,0.5,0.5,0.5",
        "intTime,100,100,100",
        "firstPix,8,8,8",
        "pixInc,1,1,1",
        "numPix,5,5,5",
        "?,0.5,1.5,2.5",
        "?,1.25,1.25,1.25",
        "?,2,12,22",
        "?,3,3,3",
        "?,1.235e+06,1.235e+06,1.235e+06",
    };
    EXPECT_EQ(rows, expected);
}

TEST_F(Transposed, WavelengthColumnStartsWithTheWavelengthItself)
{
    loadSmallCalibration();
    const std::vector<std::string> rows = transpose(2);
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[13], "376.4,0.5,1.5"); // pixel 8: 350 + 26.4 - 0.0064
    EXPECT_EQ(rows[17], "389.6,1.235e+06,1.235e+06");
}

TEST_F(Transposed, NoSpectrumGivesTheLabelsAlone)
{
    const std::vector<std::string> rows = transpose(0);
    const std::vector<std::string> expected = {"Time", "temp", "volts",   "depth",    "process", "N",     "Scale",
                                               "Do",   "Dt",   "intTime", "firstPix", "pixInc",  "numPix"};
    EXPECT_EQ(rows, expected);
}

// Tables larger than the part of the temporary file that is gathered at a
// time: every cell must still come from its own spectrum and value.
class LongTransposed : public OutputFormats {
protected:
    static SpectrumRecord numbered(int j, int values)
    {
        SpectrumRecord r = exampleRecord();
        r.time = j;
        r.N = static_cast<int16_t>(j % 1000);
        r.firstPix = 0;
        r.pixInc = 1;
        r.numPix = static_cast<int16_t>(values);
        return r;
    }
    static int value(int j, int k) { return (j * 7 + k * 13) % 10000; }

    std::vector<std::string> transpose(int spectra, int values)
    {
        FileHandle temporary(std::tmpfile());
        std::vector<float> pixels(static_cast<std::size_t>(values) + 1); // never empty: data() stays valid
        for (int j = 0; j < spectra; ++j) {
            for (int k = 0; k < values; ++k)
                pixels[static_cast<std::size_t>(k)] = static_cast<float>(value(j, k));
            writeOutput(numbered(j, values), pixels.data(), temporary.get(), 1);
        }
        const std::string table = written([&](std::FILE* f) { EXPECT_EQ(writeTransposed(temporary.get(), f), 0); });
        return splitCrLfLines(table);
    }

    static std::string expectedRow(const std::string& label, int spectra, const std::function<std::string(int)>& cell)
    {
        std::string row = label;
        for (int j = 0; j < spectra; ++j)
            row += "," + cell(j);
        return row;
    }
};

TEST_F(LongTransposed, ManyValuesAreGatheredInSeveralBandsOfRows)
{
    // 70000 records of 304 bytes exceed what is gathered at once.
    const int spectra = 70000;
    const int values = 64;
    const std::vector<std::string> rows = transpose(spectra, values);
    ASSERT_EQ(rows.size(), 13u + values);
    EXPECT_EQ(rows[0], expectedRow("Time", spectra, [](int j) { return std::to_string(j); }));
    EXPECT_EQ(rows[5], expectedRow("N", spectra, [](int j) { return std::to_string(j % 1000); }));
    EXPECT_EQ(rows[12], expectedRow("numPix", spectra, [](int) { return std::string("64"); }));
    for (int k = 0; k < values; ++k)
        ASSERT_EQ(rows[13 + static_cast<std::size_t>(k)],
                  expectedRow("?", spectra, [k](int j) { return std::to_string(value(j, k)); }))
            << "value row " << k;
}

TEST_F(LongTransposed, RecordsBeyondOneGatheringAreTakenInParts)
{
    // So many records that even one label row is gathered in two parts.
    const int spectra = 360000;
    const std::vector<std::string> rows = transpose(spectra, 0);
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[0], expectedRow("Time", spectra, [](int j) { return std::to_string(j); }));
    EXPECT_EQ(rows[1], expectedRow("temp", spectra, [](int) { return std::string("12.46"); }));
    EXPECT_EQ(rows[5], expectedRow("N", spectra, [](int j) { return std::to_string(j % 1000); }));
}

TEST_F(Transposed, RecordCutShortInTheLabelRowsStopsTheTableThere)
{
    // The first record has no values, the second claims five but ends after
    // its header: the table reads every record at the second one's length.
    FileHandle temporary(std::tmpfile());
    SpectrumRecord first = fiveValueRecord(1);
    first.numPix = 0;
    const float none[1] = {0};
    writeOutput(first, none, temporary.get(), 1);
    unsigned char head[SPECTRUM_RECORD_SIZE];
    encodeRecord(fiveValueRecord(2), head);
    std::fwrite(head, sizeof head, 1, temporary.get());
    const std::string table = written([&](std::FILE* f) { EXPECT_EQ(writeTransposed(temporary.get(), f), 1); });
    EXPECT_EQ(concatenated(log.errorBoxes()), "fread error; i = 1\n");
    EXPECT_EQ(table, "Time,1");
}

TEST_F(Transposed, TruncatedTemporaryFileStopsTheTableWithAnError)
{
    FileHandle temporary(std::tmpfile());
    const float values[5] = {1, 2, 3, 4, 5};
    writeOutput(fiveValueRecord(1), values, temporary.get(), 1);
    // A second record that claims five values but ends after its header.
    unsigned char head[SPECTRUM_RECORD_SIZE];
    encodeRecord(fiveValueRecord(2), head);
    std::fwrite(head, sizeof head, 1, temporary.get());
    std::fflush(temporary.get());
    const std::string table = written([&](std::FILE* f) { EXPECT_EQ(writeTransposed(temporary.get(), f), 1); });
    EXPECT_EQ(concatenated(log.errorBoxes()), "fread error\n");
    EXPECT_EQ(splitCrLfLines(table).size(), 14u); // 13 label rows and the cut first value row
}

} // namespace
