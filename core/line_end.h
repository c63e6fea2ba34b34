#pragma once
// Line ends of the instrument's text: CR, LF, or either pair of the two.

#include <cstdio>

inline bool isLineEnd(int c)
{
    return c == '\r' || c == '\n';
}

// Reads up to and including the first CR or LF; returns that character, or
// EOF when the stream ends first.
inline int skipToLineEnd(std::FILE* stream)
{
    int c;
    do
        c = getc_unlocked(stream);
    while (c != EOF && !isLineEnd(c));
    return c;
}
