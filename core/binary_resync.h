#pragma once
// Finding the records of a binary data file again after damage, where the
// layout itself shows them: no record is taken on the strength of its marker
// alone.

#include <cstdio>

// Whether a record starts at offset that the layout confirms: a valid header,
// the whole record, and right after its last byte either the end of the file
// or another valid header. The stream position is left anywhere.
bool confirmedRecordAt(std::FILE* stream, long offset);

// The offset of the first confirmed record from offset from on and before
// offset before (-1: up to the end of the file); -1 when there is none. The
// stream position is left anywhere.
long findConfirmedRecord(std::FILE* stream, long from, long before);
