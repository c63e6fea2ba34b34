#pragma once

// An interrupted or terminated converter removes the output it was writing,
// leaving the previous output as it was, and then ends as the signal (or on
// Windows the console's Ctrl-C or Ctrl-Break) asks.
void installInterruptCleanup();
