#pragma once
// Where the window program is: the desktop starts it, not the converter, for
// the data files it opens, and it is installed beside the converter.

#include <filesystem>

// The running program's own file (empty when the system cannot tell).
std::filesystem::path runningProgramFile();

// The window program beside the running converter.
std::filesystem::path windowProgramBeside(const std::filesystem::path& converter);
