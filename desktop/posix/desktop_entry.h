#pragma once
// The program's desktop entry (orvantis.desktop), which tells the desktop
// how to start the program with the files it is given.

#include <string>
#include <vector>

namespace desktop {

inline const char* const DesktopEntryId = "orvantis.desktop";
inline const char* const ProgramIconName = "orvantis";

// The program path as one argument of an Exec line: in double quotes with
// the quoting escapes where it holds blanks or reserved characters, and with
// '%' doubled. Without the key-file escapes of the whole value.
std::string execArgument(const std::string& programPath);

// The types of an entry's MimeType key, in their order (none for an entry
// without one).
std::vector<std::string> entryMimeTypes(const std::string& entryText);

// The complete entry starting the program with every selected file (%F), so
// that several files start one copy.
std::string desktopEntryText(const std::string& programPath, const std::vector<std::string>& mimeTypes);

} // namespace desktop
