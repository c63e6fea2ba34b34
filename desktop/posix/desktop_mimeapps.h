#pragma once
// Edits of the user's mimeapps.list, the desktop's record of which
// application opens which type. The file may hold a group more than once; the
// desktop then reads the groups as one, a later line of a type overriding an
// earlier one, so the line that takes effect is the last of its type.

#include <string>

namespace desktop {

// The list text with the application put first in the type's entry of
// [Default Applications] (the group or entry is added when missing). Every
// other line stays as it was.
std::string withDefaultApplication(const std::string& listText, const std::string& mimeType,
                                   const std::string& desktopId);

// The list text without the application in the type's entry that takes
// effect; an entry left empty goes, and so does a group left empty (with the
// blank line before it), so that undoing withDefaultApplication on a list
// without the group gives the list back.
std::string withoutDefaultApplication(const std::string& listText, const std::string& mimeType,
                                      const std::string& desktopId);

// The first application of the type's entry that takes effect, or the
// empty text.
std::string defaultApplication(const std::string& listText, const std::string& mimeType);

} // namespace desktop
