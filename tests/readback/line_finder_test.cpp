// Lines found by position read as OutputLines reads them one by one: their
// places, heads and numbers, a blank line and what follows it, CR LF and LF
// ends, a last line without an end, and line ends split between the reads
// the finder makes.

#include "readback/line_finder.h"
#include "readback/output_lines.h"
#include "conversion/file_window.h"
#include "core/file_handle.h"
#include "core/regular_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr std::size_t FINDER_READ = FileWindow::BLOCK; // the size of the finder's reads

// The lines after the first, as OutputLines reads them.
FoundLines readOneByOne(const std::string& path, char delimiter)
{
    OutputLines lines(path);
    std::string line;
    lines.next(line);
    FoundLines found;
    for (std::int64_t start = lines.offset(); lines.next(line); start = lines.offset()) {
        if (line.empty()) {
            if (lines.next(line))
                found.lineAfterBlank = lines.lineNumber();
            break;
        }
        const std::size_t headEnd = line.find(delimiter);
        found.lines.push_back({start, start + static_cast<std::int64_t>(line.size()), line.substr(0, headEnd),
                               headEnd != std::string::npos});
    }
    found.lastLine = lines.lineNumber();
    return found;
}

void expectSameLines(const std::string& path, const std::string& what)
{
    const FoundLines expected = readOneByOne(path, ',');
    OutputLines first(path);
    std::string line;
    first.next(line);
    const FileHandle file(openRegularFile(path.c_str()));
    ASSERT_TRUE(file);
    const FoundLines found = findLines(file.get(), first.offset(), 1, ',');
    ASSERT_EQ(found.lines.size(), expected.lines.size()) << what;
    for (std::size_t i = 0; i < found.lines.size(); ++i) {
        EXPECT_EQ(found.lines[i].start, expected.lines[i].start) << what << ", line " << i;
        EXPECT_EQ(found.lines[i].end, expected.lines[i].end) << what << ", line " << i;
        EXPECT_EQ(found.lines[i].head, expected.lines[i].head) << what << ", line " << i;
        EXPECT_EQ(found.lines[i].hasDelimiter, expected.lines[i].hasDelimiter) << what << ", line " << i;
    }
    EXPECT_EQ(found.lineAfterBlank, expected.lineAfterBlank) << what;
    EXPECT_EQ(found.lastLine, expected.lastLine) << what;
}

} // namespace

TEST(LineFinder, LinesReadAsOutputLinesReadsThem)
{
    TempDir dir;
    std::mt19937 random(23);
    const char* const ends[] = {"\r\n", "\n", "\r\r\n", ""};
    for (int round = 0; round < 300; ++round) {
        const std::string first = "first line\r\n"; // the finder reads from its end on
        std::string text = first;
        const int lines = static_cast<int>(random() % 6);
        for (int i = 0; i < lines; ++i) {
            const int kind = static_cast<int>(random() % 8);
            if (kind == 0)
                text += random() % 2 ? "" : "\r"; // a blank line
            else if (kind == 1)
                text += "no delimiter here";
            else if (kind == 2) // a line end that falls on the edge of the finder's reads
                text += "400," +
                        std::string(FINDER_READ - (text.size() - first.size()) % FINDER_READ - 6 + random() % 4, '7');
            else
                text += std::to_string(random() % 900) + "," + std::string(random() % 40, '1') + ",2";
            text += ends[random() % (i + 1 == lines ? 4 : 3)];
        }
        if (random() % 4 == 0)
            text += "\r";
        expectSameLines(dir.write("T.DAT", text), "round " + std::to_string(round));
    }
}
