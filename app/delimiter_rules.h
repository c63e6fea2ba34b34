#pragma once
// How the "Other" delimiter fields turn into the delimiter character.

#include <QString>

#include <cstdint>
#include <optional>

// A signed 32-bit integer: leading blanks, an optional sign, then decimal
// digits or hexadecimal digits after "$", "x" or "0x"; nothing after it.
std::optional<int32_t> parseInteger(const QString& text);

// "Other (Code)": the low 8 bits of the number, or a blank when the text is
// not wholly a number.
char delimiterFromCode(const QString& text);

// "Other (Char)": the first character, or a blank when the field is empty.
char delimiterFromChar(const QString& text);
