#pragma once
// Runs a piece of a test in a child process that file permissions bind, also
// when the tests run as root: there the child gives up every capability, so
// that a folder without write permission refuses it as it would any user.

#include <functional>
#include <string>

// The text the body returned in the child, or a text starting with
// "child failed" when the child could not run it.
std::string runWithoutPrivileges(const std::function<std::string()>& body);
