#pragma once
// Text rules of calibration files that are independent of any one section.

#include <string>
#include <string_view>
#include <vector>

constexpr int CAL_TEXT_FIELD_SIZE = 32; // 31 characters and the NUL

// Copies the line's first token into field: up to 256 leading spaces are
// skipped, then characters are taken up to the first comma or the first byte
// that is a space, a control character or not ASCII. A longer token is cut
// to 31 characters; an empty token leaves an empty text.
void readToken(const std::string& line, char (&field)[CAL_TEXT_FIELD_SIZE]);

// Splits text into lines at CR LF, lone LF or lone CR; a last line without a
// line end counts, and a NUL byte ends the text.
std::vector<std::string> splitLines(std::string_view text);

// Orders names ignoring ASCII letter case.
bool lessIgnoringCase(std::string_view a, std::string_view b);
