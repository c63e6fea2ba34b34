#pragma once
// Read-only questions to the desktop's compiled MIME database (the user's and
// the system's mime folders), answered from its files without any tool.

#include <string>

namespace desktop {

// The type with the heaviest name pattern for the extension (the first
// folder's on a tie), or the empty text when no pattern names it.
std::string typeNamingExtension(const std::string& extension);

// Whether a folder of the database lists the type.
bool typeIsKnown(const std::string& mimeType);

} // namespace desktop
