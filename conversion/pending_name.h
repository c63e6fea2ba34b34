#pragma once
// The name a pending output is written under before it takes its final name.

#include <random>
#include <string>

// A hidden name beside finalPath, in the same folder, short enough for any
// file system; a new one on each call.
std::string temporaryNameBeside(const std::string& finalPath, std::mt19937_64& random);
