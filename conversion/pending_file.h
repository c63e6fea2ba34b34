#pragma once
// What putting a pending output in place asks of the system; one
// implementation per system, beside its PendingOutput::open.

#include <cstdio>
#include <string>

// Gives the finished temporary (open as the C descriptor) what the output keeps of the file it
// replaces: on POSIX systems its permission bits (a new output keeps those
// of a new file); on Windows the attributes of a new file, no longer hidden.
// 0, or the system error number.
int giveFinalAttributes(int descriptor, const std::string& finalPath);
// Makes what was written through the descriptor durable on the disk; 0, or
// the system error number.
int syncToDisk(int descriptor);
// Closes the stream and puts its file `from` in place of `to`; 0, or the
// system error number (ENOENT when the interrupt cleanup removed it).
int putInPlace(std::FILE* stream, const std::string& from, const std::string& to);
// Removes a temporary that is given up.
void removeTemporary(const std::string& path);
// Removes the temporary at path unless a running program holds it (writes it
// as a pending output), and only when it is a regular file.
void removeIfUnheld(const std::string& path);
// Tells the interrupt cleanup that the temporary of this registration is gone.
void forgetPending(int registration);
