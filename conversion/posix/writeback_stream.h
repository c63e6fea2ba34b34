#pragma once
// A stream that writes straight to its descriptor and asks the system to
// start putting each few megabytes on the disk as soon as they are written.
// The disk then works while the conversion goes on, so the sync before an
// output is put in place finds little left to wait for, and outputs written
// side by side do not queue for the disk at their ends.

#include <cstdio>

// Takes over the descriptor, which closing the stream closes. nullptr with
// errno set when the stream cannot be made (the descriptor stays open).
std::FILE* openWritebackStream(int descriptor);
