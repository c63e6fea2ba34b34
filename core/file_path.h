#pragma once
// File names travel through the program as UTF-8 text (bytes as given on
// POSIX systems); these turn them into the system's paths and back.

#include <filesystem>
#include <string>

std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);
// The path in one letter case where the system's names ignore case.
std::filesystem::path caseFoldedForSystem(const std::filesystem::path& path);

// A key that is equal for two names of one file (relative or absolute,
// through links, in either letter case where the system ignores it), also
// when the file does not exist yet, through a link to it too.
std::string sameFileKey(const std::string& path);
