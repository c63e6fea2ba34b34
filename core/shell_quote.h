#pragma once
// Arguments written as a POSIX shell reads them back, so that a recorded
// command line can be run again as it stands.

#include <string>

// The argument bare when it holds only characters no shell treats
// specially, else in single quotes (a quote inside as '\''); '' when empty.
std::string shellQuoted(const std::string& argument);
