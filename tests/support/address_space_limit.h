#pragma once
// Binds this process's address space close to what it uses now, as a small
// `ulimit -v` does: a thread's stack (8 MB) no longer fits once the room
// left is smaller. For a child process of a test.

#include <sys/resource.h>

// False when the limit could not be set.
bool limitAddressSpaceGrowth(rlim_t room);

// The sanitizers' runtime maps terabytes of shadow memory and checks memory
// through a pipe of its own: bound to little address space or to no free
// descriptor, it fails where the program would not. Tests of such bounds run
// in the plain build only.
constexpr bool SANITIZER_NEEDS_UNBOUND_RESOURCES = ORVANTIS_SANITIZED;
