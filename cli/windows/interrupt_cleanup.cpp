#include "cli/interrupt_cleanup.h"

#include "conversion/pending_output.h"

#include <windows.h>

namespace {

// Runs on a thread of its own; FALSE lets the next handler, the system's,
// end the process.
BOOL WINAPI removeOutputAndEnd(DWORD)
{
    removePendingOutputs();
    return FALSE;
}

} // namespace

void installInterruptCleanup()
{
    SetConsoleCtrlHandler(removeOutputAndEnd, TRUE);
}
