#pragma once
// Where an output would really land, and whether writing it there could
// destroy a file the conversion reads.

#include <string>

enum class OutputRefusal { None, IsDirectory, NotRegularFile, IsInput, IsCalibration };

// The file a write to `path` reaches: symbolic links followed to their end.
std::string outputTarget(const std::string& path);

// Why the output must not be written at `target`, or None. The input and
// calibration files are compared as files (device and inode), so a link or
// another name of the same file is caught too.
OutputRefusal refuseOutput(const std::string& target, const std::string& input, const std::string& calFile);
