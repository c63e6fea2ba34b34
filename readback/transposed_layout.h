#pragma once
// What the start of a transposed table tells: the spectra's fields, from
// its thirteen label rows, and where each value row lies, with its
// wavelength.

#include "readback/output_lines.h"
#include "core/spectrum_record.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A value row, and how far its cells have been read.
struct ValueRow {
    std::int64_t lineStart = 0;
    std::int64_t valuesStart = -1;    // after the wavelength cell; -1 when the row has no cells
    std::int64_t end = 0;             // the line's end, before its line end
    std::vector<std::uint32_t> marks; // offsets from lineStart of cells 0, STEP, 2 STEP, ...
    std::int64_t cursor = 0;          // where the next cell to read starts
    std::size_t cursorCell = 0;       // and its number
};

struct TransposedLayout {
    std::vector<SpectrumRecord> records;
    std::vector<ValueRow> rows;
    long firstValueLine = 0;
};

// Reads the label rows, `lines` standing after the first of them, timeRow,
// and finds the value rows through `file`, the same file open for reads by
// position; adds the rows' wavelengths. A damaged table throws
// OutputReadError with the first damage met reading it line by line.
TransposedLayout readTransposedLayout(OutputLines& lines, std::FILE* file, char delimiter, std::string timeRow,
                                      std::vector<double>& wavelengths);
