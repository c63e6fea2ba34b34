#pragma once
// Paths for the wide file calls. Many of them stop at MAX_PATH (260)
// characters unless the path comes in the extended form \\?\C:\... or
// \\?\UNC\server\share\..., which the system takes literally: no relative
// parts, no forward slashes. A long path is therefore made full first.

#include <string>

// The extended form of a full, normalised path: a drive path or a UNC path
// gets its prefix; a path already in an extended or device form, and any
// other, stays as it is.
std::wstring extendedLengthPath(const std::wstring& fullPath);

// The UTF-8 path as the wide file calls take it: unchanged while every call
// takes it as it is, longer ones made full against the current folder and
// in the extended form.
std::wstring widePathFromUtf8(const std::string& path);
