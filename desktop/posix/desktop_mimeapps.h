#pragma once
// Edits of the user's mimeapps.list, the desktop's record of which
// application opens which type.

#include <string>

namespace desktop {

// The list text with the application put first in the type's entry of
// [Default Applications] (the group or entry is added when missing). Every
// other line stays as it was.
std::string withDefaultApplication(const std::string& listText, const std::string& mimeType,
                                   const std::string& desktopId);

} // namespace desktop
