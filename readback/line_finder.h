#pragma once
// Where the lines of a file lie from some offset on, found the way
// OutputLines reads them (LF or CR LF ended, the last one maybe without),
// without copying the lines out: the rows of a transposed table are long,
// and only their places and first cells are wanted at first.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct FoundLines {
    struct Line {
        std::int64_t start = 0;
        std::int64_t end = 0; // before its line end
        std::string head;     // the line up to its first delimiter
        bool hasDelimiter = false;
    };
    // The lines up to a blank one or the end of the file.
    std::vector<Line> lines;
    long lineAfterBlank = 0; // the number of a line after a blank one, 0 when none
    long lastLine = 0;       // the number of the line read last
};

// The lines from `offset` on, read by position from the open file (its
// stream's own position is left alone); `lineBefore` is the number of the
// line before them. An unreadable part of the file ends the lines, as the
// end of the file does.
FoundLines findLines(std::FILE* file, std::int64_t offset, long lineBefore, char delimiter);
