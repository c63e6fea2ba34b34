#pragma once
// Windows error numbers for people and for the C library's callers.

#include <string>

// The system's words for a Windows error number, in UTF-8.
std::string windowsErrorText(unsigned long error);
// The errno value closest to a Windows error number (EIO for the rest).
int errnoFromWindowsError(unsigned long error);
