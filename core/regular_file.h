#pragma once
// Data files are read only when they are regular files: a FIFO would wait
// for a writer without end, and a device (/dev/zero) could give data without
// end.

#include <cstdio>
#include <string>

enum class FileKind { Missing, Regular, Folder, Other };

// What a path names, symbolic links followed.
FileKind fileKind(const std::string& path);

// Opens a regular file for reading in binary mode without ever waiting on a
// FIFO; null with errno set when it cannot be opened, and errno
// NOT_REGULAR_FILE when it is something else than a regular file.
std::FILE* openRegularFile(const char* path);

// An errno value the system never gives for opening a file for reading.
inline constexpr int NOT_REGULAR_FILE = 0x7F00;

// The reason of an opening error in words.
std::string openErrorText(int error);
