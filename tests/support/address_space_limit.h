#pragma once
// Binds this process's address space close to what it uses now, as a small
// `ulimit -v` does: a thread's stack (8 MB) no longer fits once the room
// left is smaller. For a child process of a test.

#include <sys/resource.h>

// False when the limit could not be set.
bool limitAddressSpaceGrowth(rlim_t room);
