#include "processing_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

TEST_F(Processing, NormalLayoutHasHeaderLinesColumnHeaderAndRowsEndingInCrLf)
{
    writeFile(input,
              std::string(HEADER_LINES) + dataLine(1000, 0, 1, {10, 20, 30}) + dataLine(1001, 0, 1, {11, 21, 31}));
    EXPECT_EQ(convert(), 0);
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "off\n", output) + "2 spectra.\n");
    std::vector<std::string> expected = headerLines();
    expected.push_back(columnHeader(3));
    expected.push_back(expectedRow(1000, 0, 1, {10, 20, 30}));
    expected.push_back(expectedRow(1001, 0, 1, {11, 21, 31}));
    const std::string text = readFile(output);
    EXPECT_EQ(splitCrLfLines(text), expected);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(Processing, FourthHeaderLineNamesTheChannelOfTheLoadedCalibration)
{
    const std::string cal = dir.file("SMALL.CAL");
    writeFile(cal, smallCalibrationText());
    loadCalFile(cal.c_str(), 0, 0, LogCapture::sink);
    log.clear();
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 8, 1, {10, 20, 30}));
    convert();
    const auto lines = outputLines();
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[3], "Channel: Ed, uW/cm^2/nm");
    EXPECT_EQ(lines[4].substr(lines[4].size() - 24), "numPix,376.4,379.7,383.0") << lines[4];
}

TEST_F(Processing, ChannelOutsideTheTableConvertsNothingAndWritesNothing)
{
    chanIndex = 30;
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {1}));
    EXPECT_EQ(convert(), 1);
    EXPECT_NE(log.joined().find("WARNING: Invalid channel number"), std::string::npos);
    EXPECT_EQ(concatenated(log.errorBoxes()), notWritten());
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(Processing, FileWithOnlyHeaderLinesReportsNoDataAndWritesNothing)
{
    writeFile(input, "Tidelume Radiometer: TDL0001\r\nChannel 1\r\n\r\n  \r\n");
    EXPECT_EQ(convert(), 1);
    const std::string failures = "No data found in " + input + ": " + output + " not written\nNo files processed.\n";
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "off\n", output) + failures);
    EXPECT_EQ(concatenated(log.errorBoxes()), failures);
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(Processing, BlankLinesBeforeTheFirstDataLineDoNotHideTheFirstSpectrum)
{
    for (const char* blank : {"\r\n", "\n\n", " \t \r\n", "\t\r\n\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(blank)));
        log.clear();
        writeFile(input, std::string(HEADER_LINES) + blank + dataLine(1000, 0, 1, {5}) + dataLine(1001, 0, 1, {6}));
        convert();
        const auto lines = outputLines();
        ASSERT_EQ(lines.size(), 7u);
        EXPECT_EQ(lines[5], expectedRow(1000, 0, 1, {5}));
        EXPECT_NE(log.joined().find("\n2 spectra.\n"), std::string::npos);
    }
}

TEST_F(Processing, LineStartingWithBlanksThatHoldsMoreIsAHeaderLine)
{
    writeFile(input, std::string(HEADER_LINES) + "  7,7,7\r\n" + dataLine(1000, 0, 1, {5}));
    convert();
    const auto lines = outputLines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[5], expectedRow(1000, 0, 1, {5}));
}

TEST_F(Processing, DataStartingWithAMinusSignIsText)
{
    writeFile(input, std::string(HEADER_LINES) + "-5,12.46,11.2,3.456,0,1,1,0,0,100,0,1,1,9\r\n");
    convert();
    EXPECT_EQ(outputLines().back(), "-5,12.5,11.20,3.46,0,1,1,0,0,100,0,1,1,9");
}

TEST_F(Processing, OneSpectrumIsCountedInTheSingular)
{
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5}));
    convert();
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "off\n", output) + "1 spectrum.\n");
}

TEST_F(Processing, FailedFirstCalibrationEndsWithNoSpectrum)
{
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5}));
    output = dir.file("SET01A.DAT");
    writeFile(output, "previous output");
    EXPECT_EQ(convert(4), 1);
    const std::string text = log.joined();
    const std::string ending = "WARNING: processSpectrum returned 1\n0 spectra.\n" + notWritten();
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
    EXPECT_EQ(readFile(output), "previous output");
}

// The last spectrum cut short is one problem with one error line; what
// stopped the read stays in the normal log.
TEST_F(Processing, TextEndingInsideItsLastSpectrumIsReportedOnOneErrorLine)
{
    const std::string text = std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5});
    const std::string cutShort = input + ": last spectrum cut short at byte " + std::to_string(text.size()) +
                                 " and skipped; 1 spectrum written\n";
    struct Cut {
        const char* line;
        const char* logged;
    };
    for (const Cut& cut : {Cut{"1001,12.0,11.0,3.0,0,1,1,0,0,100,", "WARNING: readSpectrum returned 11\n"},
                           Cut{"1001,12.0,11.0,3.0,0,1,1,0,0,100,0,1,3,7,8\r\n", "Error reading pixel 2\n"}}) {
        SCOPED_TRACE(cut.line);
        writeFile(input, text + cut.line);
        log.clear();
        EXPECT_EQ(convert(), SPECTRA_SKIPPED);
        EXPECT_EQ(log.joined(), opening("0 (raw)\n", "off\n", output) + cut.logged + "1 spectrum.\n" + cutShort);
        EXPECT_EQ(concatenated(log.errorBoxes()), cutShort);
        EXPECT_EQ(outputLines().size(), 6u);
    }
}

TEST_F(Processing, FailedFirstReadWritesNothing)
{
    writeFile(input, std::string(HEADER_LINES) + "1000,12.0,");
    for (const int transpose : {0, 1}) {
        SCOPED_TRACE(transpose);
        log.clear();
        EXPECT_EQ(convert(0, transpose), 1);
        // The cut line cannot tell its layout either.
        EXPECT_EQ(log.joined(), opening("0 (raw)\n", transpose ? "on\n" : "off\n", output) +
                                    "Unknown file format.\nWARNING: readSpectrum returned 3\n"
                                    "WARNING: readSpectrum returned 1\n0 spectra.\n" +
                                    input + ": last spectrum cut short at byte 41 and skipped; 0 spectra written\n" +
                                    notWritten());
        EXPECT_FALSE(std::filesystem::exists(output));
    }
}

TEST_F(Processing, TransposedOutputHasOneColumnPerSpectrum)
{
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {1, 2}) + dataLine(1001, 0, 1, {3, 4}) +
                         dataLine(1002, 0, 1, {5, 6}));
    convert(0, 1);
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "on\n", output) + "3 spectra.\n");
    const auto lines = outputLines();
    ASSERT_EQ(lines.size(), 4u + 13u + 2u);
    EXPECT_EQ(lines[4], "Time,1000,1001,1002");
    EXPECT_EQ(lines[5], "temp,12.46,12.46,12.46");
    EXPECT_EQ(lines[17], "?,1,3,5");
    EXPECT_EQ(lines[18], "?,2,4,6");
}

TEST_F(Processing, CountsOfMoreThanSixteenBitsOfSpectraAreReportedWhole)
{
    // A day at one spectrum a second passes 32767; the pixel set changes late.
    std::string text = HEADER_LINES;
    for (int j = 0; j < 40000; ++j)
        text += j < 35000 ? dataLine(j, 0, 1, {j % 7}) : dataLine(j, 0, 1, {j % 7, 1});
    writeFile(input, text);
    convert();
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "off\n", output) + "WARNING: Spectrum 35000 in " + input +
                                " contains a different set of pixels\n         than the preceding spectra."
                                "WARNING: The wavelengths listed in the header\n"
                                "         will not apply to all spectra in the file.\n"
                                "40000 spectra.\n");
    const auto lines = outputLines();
    ASSERT_EQ(lines.size(), 5u + 40000u);
    EXPECT_EQ(lines.back(), expectedRow(39999, 0, 1, {39999 % 7, 1}));
}

class PixelSetChange : public Processing {
protected:
    void writeChangingFile(int changeAt)
    {
        std::string text = HEADER_LINES;
        for (int j = 0; j < 3; ++j)
            text += j < changeAt ? dataLine(1000 + j, 0, 1, {j, 2, 3}) : dataLine(1000 + j, 0, 1, {j, 2});
        writeFile(input, text);
    }
    std::string warning(int spectrum) const
    {
        return "WARNING: Spectrum " + std::to_string(spectrum) + " in " + input +
               " contains a different set of pixels\n         than the preceding spectra.";
    }
};

TEST_F(PixelSetChange, NormalLayoutWarnsThatTheWavelengthsDoNotApply)
{
    writeChangingFile(2);
    convert();
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "off\n", output) + warning(2) +
                                "WARNING: The wavelengths listed in the header\n"
                                "         will not apply to all spectra in the file.\n3 spectra.\n");
    std::vector<std::string> expected = headerLines();
    expected.push_back(columnHeader(3));
    expected.push_back(expectedRow(1000, 0, 1, {0, 2, 3}));
    expected.push_back(expectedRow(1001, 0, 1, {1, 2, 3}));
    expected.push_back(expectedRow(1002, 0, 1, {2, 2}));
    EXPECT_EQ(outputLines(), expected);
}

TEST_F(PixelSetChange, TransposedOutputFallsBackToRowsWithoutLosingSpectra)
{
    for (int changeAt : {1, 2}) {
        SCOPED_TRACE(changeAt);
        writeChangingFile(changeAt);
        convert();
        const std::string normal = readFile(output);
        log.clear();
        convert(0, 1);
        EXPECT_EQ(log.joined(), opening("0 (raw)\n", "on\n", output) + warning(changeAt) +
                                    "WARNING: The output cannot be transposed.\n3 spectra.\n");
        EXPECT_EQ(readFile(output), normal);
    }
}

TEST_F(PixelSetChange, BinaryOutputWarnsAboutTheHeaderItDoesNotHave)
{
    writeChangingFile(1);
    output = dir.file("SET01A.BRW");
    convert(0, 0, 1);
    EXPECT_NE(log.joined().find(warning(1) + "WARNING: The wavelengths listed in the header\n"), std::string::npos);
    EXPECT_EQ(readFile(output).size(), (48u + 12u) + 2 * (48u + 8u));
}

// Long files, whose rows the worker writes while the spectra are read.
class ManyRows : public PixelSetChange {
protected:
    static constexpr int SPECTRA = 3000;
    static constexpr int CHANGE_AT = 1700;

    static std::vector<int> values(int j)
    {
        std::vector<int> v(j < CHANGE_AT ? 40 : 25);
        for (std::size_t k = 0; k < v.size(); ++k)
            v[k] = static_cast<int>((j * 37 + static_cast<int>(k) * 101) % 199981) - 99990;
        return v;
    }

    // Larger than the input buffer several times over, so that lines and
    // numbers cross its refills.
    void writeLongFile()
    {
        std::string text = HEADER_LINES;
        for (int j = 0; j < SPECTRA; ++j)
            text += dataLine(j, 0, 1, values(j));
        ASSERT_GT(text.size(), 3u * 256 * 1024);
        writeFile(input, text);
    }

    std::vector<std::string> expectedLines() const
    {
        std::vector<std::string> lines = headerLines();
        lines.push_back(columnHeader(40));
        for (int j = 0; j < SPECTRA; ++j)
            lines.push_back(expectedRow(j, 0, 1, values(j)));
        return lines;
    }

    static std::size_t threadCount()
    {
        const std::filesystem::directory_iterator tasks("/proc/self/task");
        return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
    }
};

TEST_F(ManyRows, EveryRowArrivesInOrderWithTheWorkerGoneWhenTheFileIsDone)
{
    writeLongFile();
    const std::size_t threads = threadCount();
    convert();
    EXPECT_EQ(threadCount(), threads);
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "off\n", output) + warning(CHANGE_AT) +
                                "WARNING: The wavelengths listed in the header\n"
                                "         will not apply to all spectra in the file.\n3000 spectra.\n");
    EXPECT_TRUE(outputLines() == expectedLines());
}

TEST_F(ManyRows, TransposedOutputTurnedIntoRowsEqualsTheNormalOutput)
{
    writeLongFile();
    convert();
    const std::string normal = readFile(output);
    log.clear();
    convert(0, 1);
    EXPECT_EQ(log.joined(), opening("0 (raw)\n", "on\n", output) + warning(CHANGE_AT) +
                                "WARNING: The output cannot be transposed.\n3000 spectra.\n");
    EXPECT_TRUE(readFile(output) == normal);
}

TEST_F(ManyRows, ReadErrorInTheMiddleLeavesEveryEarlierRowAndNoWorker)
{
    writeLongFile();
    writeFile(input, readFile(input) + "1,2,3,x\r\n");
    const std::size_t threads = threadCount();
    EXPECT_EQ(convert(), SPECTRA_SKIPPED);
    EXPECT_EQ(threadCount(), threads);
    const std::string text = log.joined();
    EXPECT_NE(text.find("WARNING: readSpectrum returned"), std::string::npos) << text;
    EXPECT_NE(text.find("3000 spectra.\n" + input + ": 1 damaged spectrum was skipped\n"), std::string::npos);
    EXPECT_TRUE(outputLines() == expectedLines());
}

TEST_F(Processing, BinaryAndTransposedTogetherGiveBinaryOutputWithANote)
{
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {1, 2, 3}) + dataLine(1001, 0, 1, {4, 5, 6}));
    output = dir.file("SET01A.BRW");
    convert(0, 1, 1);
    const std::string text = log.joined();
    EXPECT_EQ(text.substr(0, text.find("-> ")), "Data file name: " + input +
                                                    "\nProcessing level:    0 (raw)\n"
                                                    "NOTE: Binary output cannot be transposed.\n"
                                                    "Tranposition:        off\n");
    EXPECT_EQ(readFile(output).size(), 2 * (48u + 12u));
}

TEST_F(Processing, BinaryInputIsRecognisedByItsMarkerByte)
{
    // One raw record: marker, time 7, three floats, process 0, N 1, scale,
    // Do, Dt, intTime 100, firstPix 0, pixInc 1, numPix 2, counts 5 and -1.
    const unsigned char record[] = {0x0F, 0x01, 0, 0, 0, 7,   0x41, 0x48, 0, 0, 0x41, 0x30, 0, 0, 0x40, 0x40,
                                    0,    0,    0, 0, 0, 1,   0x3F, 0x80, 0, 0, 0,    0,    0, 0, 0,    0,
                                    0,    0,    0, 0, 0, 100, 0,    0,    0, 1, 0,    2,    0, 5, 0xFF, 0xFF};
    writeFile(input, std::string(HEADER_LINES) + std::string(reinterpret_cast<const char*>(record), sizeof record));
    convert();
    EXPECT_EQ(outputLines().back(), "7,12.5,11.00,3.00,0,1,1,0,0,100,0,1,2,5,-1");
}

TEST_F(Processing, InvalidLevelIsRefusedBeforeAnyFileIsTouched)
{
    writeFile(input, std::string(HEADER_LINES) + dataLine(1000, 0, 1, {5}));
    EXPECT_EQ(convert(5), 1);
    EXPECT_EQ(log.joined(), "Data file name: " + input + "\nProcessing level:    5invalid processing level\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("SET01A.DAT")));
}

TEST_F(Processing, MissingInputIsReportedWithTheSystemErrorNumber)
{
    EXPECT_EQ(convert(), ENOENT);
    const std::string failures =
        "Error 2 opening input file " + input + ": No such file or directory\nNo files processed.\n";
    EXPECT_EQ(log.joined(),
              "Data file name: " + input + "\nProcessing level:    0 (raw)\nTranposition:        off\n" + failures);
    EXPECT_EQ(concatenated(log.errorBoxes()), failures);
}

} // namespace
