#pragma once
#include <cstdio>

// Reads the next non-blank line without its leading white space into buffer,
// ending it with exactly one LF and a NUL; a line longer than size - 2
// characters is cut and its rest skipped. Returns buffer, or null at end of
// file (buffer then unchanged).
char* readTextLine(char* buffer, int size, std::FILE* stream);
