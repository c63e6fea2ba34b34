#pragma once
#include <string>

// Name of the output file beside an input file: the input path cut at its
// last '.' (the whole path when it has none) plus the extension that the
// processing level and the output form call for (.RAW/.DAT, .BRW/.BDT).
std::string outputFileName(const std::string& inputPath, int level, bool binary);
