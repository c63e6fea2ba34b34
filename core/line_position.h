#pragma once
// Looks around a text stream's position and comes back to it: the checks a
// reader makes only once something looks wrong, never per spectrum.

#include <cstdio>

// Whether anything but blanks stands between the position and the line end.
bool restOfLineHoldsText(std::FILE* stream);

// Whether a CR or LF lies between start and the position.
bool lineEndSince(std::FILE* stream, const std::fpos_t& start);

// Leaves the stream at the line after the one starting at start, and returns
// start's byte offset (-1 when it cannot be told). Where the stream cannot go
// back to start, it passes over the rest of the current line instead.
long skipLineFrom(std::FILE* stream, const std::fpos_t& start);

// Whether nothing but white space (line ends included) stands between the
// position and the end of the file.
bool onlyWhiteSpaceLeft(std::FILE* stream);

// The byte offset of at (-1 when it cannot be told); the position is kept.
long offsetOf(std::FILE* stream, const std::fpos_t& at);
