#pragma once
// Where the spectra of a data file begin, after its header lines.

#include "core/log.h"

#include <cstdio>

enum class DataKind { None, Text, Binary };

// Passes over the header lines (from the file's start) to the first data
// character and leaves the stream there: the first spectrum of text data, or
// the record marker of binary data. Blank lines are passed over on their
// own, so that the line after them is still looked at; debug text names
// each other line passed over.
DataKind findFirstData(std::FILE* input, const Log& log);
