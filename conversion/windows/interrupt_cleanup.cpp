#include "conversion/interrupt_cleanup.h"

#include "conversion/pending_output.h"

#include <windows.h>

namespace {

// The console's handler runs on a thread of its own: holding interrupts back
// is holding this lock, which the handler takes and never gives back.
SRWLOCK interruptLock = SRWLOCK_INIT;

// FALSE lets the next handler, the system's, end the process.
BOOL WINAPI removeOutputAndEnd(DWORD)
{
    AcquireSRWLockExclusive(&interruptLock);
    removePendingOutputs();
    return FALSE;
}

} // namespace

void installInterruptCleanup()
{
    SetConsoleCtrlHandler(removeOutputAndEnd, TRUE);
}

InterruptsHeldBack::InterruptsHeldBack()
{
    AcquireSRWLockExclusive(&interruptLock);
}

InterruptsHeldBack::~InterruptsHeldBack()
{
    ReleaseSRWLockExclusive(&interruptLock);
}
