#pragma once
// Where the layout of a binary data file shows the next record: after a
// record, the instrument writes the next one, at most a line end before it.
// After damage the read goes on only at a record the layout confirms so, never
// on the strength of a marker byte alone.

#include <cstdio>

// What follows a record, after at most a line end (two bytes, each CR or LF).
enum class AfterRecord {
    NextHeader, // the marker and valid header of the next record
    CutHeader,  // a marker, and the end of the file before its header is whole
    End,        // the end of the file
    Other,      // anything else: junk between records, or the middle of one
};

// What follows the record that ends at the stream position. The stream
// position is left anywhere.
AfterRecord whatFollows(std::FILE* stream);

// Whether a record starts at offset that the layout confirms: a valid header,
// the whole record, and after it the next record's valid header or the end of
// the file. The stream position is left anywhere.
bool confirmedRecordAt(std::FILE* stream, long offset);

// The offset of the first confirmed record from offset from on and before
// offset before (-1: up to the end of the file); -1 when there is none. The
// stream position is left anywhere.
long findConfirmedRecord(std::FILE* stream, long from, long before);
