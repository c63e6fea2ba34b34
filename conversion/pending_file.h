#pragma once
// What putting a pending output in place asks of the system; one
// implementation per system, beside its PendingOutput::open.

#include <cstdio>
#include <string>

// Makes what the stream wrote durable on the disk; 0, or the system error number.
int syncToDisk(std::FILE* stream);
// Puts the file `from` in place of `to`; 0, or the system error number.
int replaceFile(const std::string& from, const std::string& to);
// Removes a temporary that is given up.
void removeTemporary(const std::string& path);
// Tells the interrupt cleanup that the temporary of this registration is gone.
void forgetPending(int registration);
