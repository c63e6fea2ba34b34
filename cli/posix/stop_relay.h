#pragma once
// A stopped batch stops its conversions: SIGINT, SIGTERM or SIGHUP that ends
// this process is first passed on to its running children, then takes effect
// here as the handler installed before (the interrupt cleanup) has it.
//
// A signal handler reaches only fixed storage, so the children's ids live in
// the one record of this process, changed while interrupts are held back or
// with single atomic stores. One batch at a time installs it.

#include <sys/types.h>

#include <cstddef>

namespace stop_relay {

// Room for the children of one batch; a batch starts no more than this.
inline constexpr std::size_t MaxChildren = 256;

// Installs the relay over the handlers there are now; uninstall puts them
// back. A signal ignored now stays ignored.
void install();
void uninstall();

bool full();
// The child is stopped with this process from now on, or no longer (before
// it is waited for, so that a stop never reaches a process that took its id).
void add(pid_t child);
void remove(pid_t child);

// In a child just forked with interrupts held back: its stop is its own
// again, and it is stopped as well when the batch ends without stopping it
// (killed); `parent` is the batch's process id taken before the fork.
void tieChildTo(pid_t parent);

} // namespace stop_relay
