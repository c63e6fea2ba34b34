#pragma once
// The headless converter's commands on the desktop's data file types, the
// same registration as the window's two association buttons:
//   file-types status [EXT...]     what the desktop knows of each type
//   file-types register [EXT...]   makes the window program open them
//   file-types remove [EXT...]     takes the registration back
// Without extensions, both the .ASC and the .BIN type.

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

bool isFileTypeCommand(const char* word);

// args[1] is "file-types"; the window program is the one registered.
// Returns the exit status: 0 done, 1 failed, 2 a usage error.
int runFileTypeCommand(const std::vector<std::string>& args, const std::filesystem::path& windowProgram,
                       std::ostream& out, std::ostream& err);
