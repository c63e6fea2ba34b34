#pragma once
// Temporaries that an ended run left behind (killed, or the machine stopped)
// are removed by the next conversion of the same output, so that they never
// pile up.

#include <string>

// Removes every temporary of finalPath that no running program holds: only
// regular files named as temporaryNameBeside names them, nothing else.
void removeStaleTemporaries(const std::string& finalPath);
