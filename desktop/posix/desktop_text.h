#pragma once
// Small text helpers for the desktop's key files and lists.

#include <string>
#include <vector>

namespace desktop {

// Without leading and trailing blanks, tabs and carriage returns.
std::string trimmed(const std::string& text);
// The non-empty, trimmed items of a list such as "a; b;c;".
std::vector<std::string> listItems(const std::string& list, char separator);
// With the ASCII letters in lower case.
std::string lowerCase(std::string text);

} // namespace desktop
