#pragma once
// The number conversions of the text output, digit for digit as the C
// library's formatted output prints them ("%.<p>g", "%.<p>f", "%ld"), but
// written straight into a caller's buffer without parsing a format string.
// Each function returns the end of the text it wrote; nothing is terminated.

#include <cstddef>

// Room that any one conversion below may need ("%.2f" of the largest double
// has 309 integer digits).
constexpr std::size_t MAX_NUMBER_TEXT = 330;

// "%.<precision>g", precision 1 to 17.
char* formatGeneral(char* out, double value, int precision);

// "%.<precision>f", precision 0 to 17.
char* formatFixed(char* out, double value, int precision);

// "%ld" (and "%d").
char* formatInteger(char* out, long value);
