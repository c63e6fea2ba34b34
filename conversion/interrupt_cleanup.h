#pragma once
// An interrupted or terminated program removes the outputs it was writing,
// leaving the previous outputs as they were, and then ends as the signal (or
// on Windows the console's Ctrl-C or Ctrl-Break) asks. Both programs install
// it first thing in main.

// Also lets a write past the file-size limit fail as on a full disk, so that
// the conversion fails cleanly instead of the program being ended.
void installInterruptCleanup();

// Holds back the interrupts above for its lifetime, so that what is done
// meanwhile is done whole (a log printed, a child process recorded); an
// interrupt that came meanwhile takes effect at its end. Not nested.
class InterruptsHeldBack {
public:
    InterruptsHeldBack();
    ~InterruptsHeldBack();
    InterruptsHeldBack(const InterruptsHeldBack&) = delete;
    InterruptsHeldBack& operator=(const InterruptsHeldBack&) = delete;

private:
    unsigned heldBefore_ = 0; // those of them that were held back already, where a thread can hold them
};
