#pragma once
// A scratch file of this process, opened for reading and writing and gone
// from the disk once closed, in the system's folder for such files.

#include <cstdio>

// The open stream, or null with errno set.
std::FILE* openTemporaryFile();
