#pragma once
// File names travel through the program as UTF-8 text (bytes as given on
// POSIX systems); these turn them into the system's paths and back.

#include <filesystem>
#include <string>

std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);
