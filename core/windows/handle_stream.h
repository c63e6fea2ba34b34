#pragma once
// A C stream over a Windows file handle, which it then owns.

#include <cstdio>

// The stream, or null with the handle closed and errno set.
std::FILE* streamOverHandle(void* handle, int openFlags, const char* mode);
