// Damaged text between the spectra of a data file: passed over, never the end
// of the file, and a lost spectrum always reported.

#include "processing_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DamagedText : public Processing {
protected:
    static constexpr int SPECTRA = 4;

    static std::vector<std::string> goodLines()
    {
        std::vector<std::string> lines;
        for (int i = 0; i < SPECTRA; ++i)
            lines.push_back(dataLine(1000 + i, 0, 1, {10 * i + 1, 10 * i + 2, 10 * i + 3, 10 * i + 4}));
        return lines;
    }

    // The good lines with one more line before the one at position.
    static std::string withLineAt(std::size_t position, const std::string& inserted, std::size_t& offset)
    {
        std::string text = HEADER_LINES;
        const std::vector<std::string> lines = goodLines();
        for (std::size_t i = 0; i <= lines.size(); ++i) {
            if (i == position) {
                offset = text.size();
                text += inserted;
            }
            if (i < lines.size())
                text += lines[i];
        }
        return text;
    }

    // The output of the good lines alone.
    std::string cleanOutput()
    {
        std::string text = HEADER_LINES;
        for (const std::string& line : goodLines())
            text += line;
        writeFile(input, text);
        EXPECT_EQ(convert(), 0);
        return readFile(output);
    }

    bool logged(const std::string& text) const { return log.joined().find(text) != std::string::npos; }
    bool boxed(const std::string& text) const { return concatenated(log.errorBoxes()).find(text) != std::string::npos; }
};

// A spectrum line of its own, cut right after each comma and right before it
// (the value whole, its comma gone): every field and pixel position.
std::vector<std::string> cutsOf(const std::string& line)
{
    std::vector<std::string> cuts;
    for (std::size_t i = 1; i < line.size(); ++i)
        if (line[i] == ',' && line.find(',') < i) {
            cuts.push_back(line.substr(0, i));
            cuts.push_back(line.substr(0, i + 1));
        }
    cuts.push_back(line.substr(0, line.find(',') + 1));
    return cuts;
}

TEST_F(DamagedText, LineThatIsNoSpectrumIsSkippedWithAWarningWherever)
{
    const std::string clean = cleanOutput();
    for (const char* junk : {"123", "-", ".", "2020-01-01 12:00 power glitch", "-7.5,1,2", "42 ,1,2"})
        for (std::size_t position = 0; position <= SPECTRA; ++position) {
            SCOPED_TRACE(std::string(junk) + " at " + std::to_string(position));
            std::size_t offset = 0;
            writeFile(input, withLineAt(position, std::string(junk) + "\r\n", offset));
            log.clear();
            EXPECT_EQ(convert(), 0);
            EXPECT_EQ(readFile(output), clean);
            const std::string warning = "WARNING: " + input + ": skipped a line at byte " + std::to_string(offset) +
                                        " that is not a spectrum\n";
            EXPECT_TRUE(logged(warning)) << log.joined();
            EXPECT_TRUE(boxed(warning));
            EXPECT_EQ(log.count(warning), 1);
            EXPECT_FALSE(logged("damaged"));
        }
}

TEST_F(DamagedText, CutLineLosesOnlyItsOwnSpectrumAndIsReported)
{
    const std::string clean = cleanOutput();
    const std::string line = dataLine(2000, 0, 1, {91, 92, 93, 94});
    // Before the first whole spectrum a cut line would be judged for the
    // file's layout; from the second line on, every position.
    for (const std::string& cut : cutsOf(line.substr(0, line.size() - 2)))
        for (std::size_t position = 1; position <= SPECTRA; ++position)
            for (const char* lineEnd : {"\r\n", ""}) {
                if (*lineEnd == '\0' && position != SPECTRA)
                    continue; // a line without its end only at the end of the file
                SCOPED_TRACE(cut + " at " + std::to_string(position));
                std::size_t offset = 0;
                writeFile(input, withLineAt(position, cut + lineEnd, offset));
                log.clear();
                EXPECT_EQ(convert(), SPECTRA_SKIPPED);
                EXPECT_EQ(readFile(output), clean);
                if (position == SPECTRA) { // the last spectrum, cut short: one line says so
                    const std::string cutShort = input + ": last spectrum cut short at byte " + std::to_string(offset) +
                                                 " and skipped; 4 spectra written\n";
                    EXPECT_TRUE(logged(std::to_string(SPECTRA) + " spectra.\n" + cutShort)) << log.joined();
                    EXPECT_EQ(concatenated(log.errorBoxes()), cutShort);
                    continue;
                }
                const std::string damaged = input + ": spectrum " + std::to_string(position + 1) + " (byte " +
                                            std::to_string(offset) + ") is damaged and was skipped\n";
                const std::string total = input + ": 1 damaged spectrum was skipped\n";
                EXPECT_TRUE(logged(damaged)) << log.joined();
                EXPECT_TRUE(logged(std::to_string(SPECTRA) + " spectra.\n" + total)) << log.joined();
                EXPECT_TRUE(boxed(damaged));
                EXPECT_TRUE(boxed(total));
            }
}

TEST_F(DamagedText, SeveralLostSpectraAreCountedTogether)
{
    const std::string cut = "1500,12.0,11.0,3.0,0,1,1,0,0,100,0,1,4,7,";
    std::string text = HEADER_LINES;
    for (const std::string& line : goodLines())
        text += line + cut + "\r\n-\r\n";
    writeFile(input, text);
    EXPECT_EQ(convert(), SPECTRA_SKIPPED);
    EXPECT_EQ(outputLines().size(), 5u + SPECTRA);
    EXPECT_TRUE(logged(input + ": spectrum 8 (byte "));
    EXPECT_TRUE(logged(std::to_string(SPECTRA) + " spectra.\n" + input + ": 4 damaged spectra were skipped\n"));
}

// What a cut line must not be taken for: a spectrum continued after a comma
// on the next line, and words or a comma after the last pixel of a one-line
// spectrum.
TEST_F(DamagedText, LegalLayoutsThatLookLikeDamageStillConvertWhole)
{
    std::string text = HEADER_LINES;
    text += "1000,12.46,11.2,3.456,0,1,1,0,0,100,0,1,4,1,2,3,4 trailing words\r\n";
    text += "1001,12.46,11.2,3.456,0,1,1,0,0,100,0,1,4,\r\n1,2,\r\n3,4\r\n";
    text += "1002,12.46,11.2,3.456,0,1,1,0,0,100,0,1,4,1,2,3,4,\r\n";
    writeFile(input, text);
    EXPECT_EQ(convert(), 0);
    const std::vector<std::string> lines = outputLines();
    ASSERT_EQ(lines.size(), 8u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(lines[5 + static_cast<std::size_t>(i)], expectedRow(1000 + i, 0, 1, {1, 2, 3, 4}));
    EXPECT_FALSE(logged("WARNING")) << log.joined();
}

// A line end lost between two spectra runs their lines together. The first
// then has values after its last one and is lost; the second is read from
// where its text starts, after a comma or blanks, and is lost too where its
// time was glued to the first one's last value (its rest, "12.46,...", reads
// as no spectrum). Each loss is reported.
TEST_F(DamagedText, TwoLinesRunTogetherLoseNothingSilently)
{
    const std::vector<std::string> lines = goodLines();
    const std::string firstValues = lines[1].substr(0, lines[1].size() - 2);
    for (const char* join : {"", ",", " \t"}) {
        SCOPED_TRACE(std::string("joined by '") + join + "'");
        const bool glued = *join == '\0';
        std::string text = HEADER_LINES + lines[0];
        const std::size_t first = text.size();
        text += firstValues + join;
        const std::size_t secondRest = text.size() + (glued ? lines[2].find(',') + 1 : 0);
        text += lines[2] + lines[3];
        writeFile(input, text);
        log.clear();
        EXPECT_EQ(convert(), SPECTRA_SKIPPED);
        std::string errors = input + ": spectrum 2 (byte " + std::to_string(first) + ") is damaged and was skipped\n";
        if (glued)
            errors += input + ": spectrum 3 (byte " + std::to_string(secondRest) + ") is damaged and was skipped\n" +
                      input + ": 2 damaged spectra were skipped\n";
        else
            errors += input + ": 1 damaged spectrum was skipped\n";
        EXPECT_EQ(concatenated(log.errorBoxes()), errors);
        const std::string runTogether = readFile(output);
        writeFile(input, HEADER_LINES + lines[0] + (glued ? "" : lines[2]) + lines[3]);
        EXPECT_EQ(convert(), 0);
        EXPECT_EQ(runTogether, readFile(output));
    }
}

TEST_F(DamagedText, BinaryRecordCutByTheEndOfTheFileIsTheLastSpectrumCutShort)
{
    // A raw record of two counts, then the file ends inside the next one's
    // fields: that one is reported on one line, the first one is kept.
    const unsigned char record[] = {0x0F, 0x01, 0, 0, 0, 7,   0x41, 0x48, 0, 0, 0x41, 0x30, 0, 0, 0x40, 0x40,
                                    0,    0,    0, 0, 0, 1,   0x3F, 0x80, 0, 0, 0,    0,    0, 0, 0,    0,
                                    0,    0,    0, 0, 0, 100, 0,    0,    0, 1, 0,    2,    0, 5, 0xFF, 0xFF};
    const std::string bytes(reinterpret_cast<const char*>(record), sizeof record);
    writeFile(input, std::string(HEADER_LINES) + bytes + bytes.substr(0, 20));
    EXPECT_EQ(convert(), SPECTRA_SKIPPED);
    EXPECT_TRUE(logged("1 spectrum.\n")) << log.joined();
    EXPECT_EQ(concatenated(log.errorBoxes()), input + ": last spectrum cut short at byte " +
                                                  std::to_string(std::string(HEADER_LINES).size() + sizeof record) +
                                                  " and skipped; 1 spectrum written\n");
    EXPECT_EQ(outputLines().size(), 6u);
}

} // namespace
