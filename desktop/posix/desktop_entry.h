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

// The Exec value starting the program with every selected file (%F). GLib
// looks for the program of an Exec line without undoing the doubled '%', so
// a path holding '%' is started through the shell, which gets it whole.
std::string execCommand(const std::string& programPath);

// The types of an entry's MimeType key, in their order (none for an entry
// without one).
std::vector<std::string> entryMimeTypes(const std::string& entryText);
// The program an entry names in its TryExec key, or the empty text.
std::string entryProgram(const std::string& entryText);

// The complete entry starting the program (an absolute path, or a name
// found on PATH) with every selected file, so that several files start one
// copy.
std::string desktopEntryText(const std::string& programPath, const std::vector<std::string>& mimeTypes);

} // namespace desktop
