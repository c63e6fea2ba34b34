#pragma once
// Whether writing an output under its name could destroy a file that is
// not an earlier output: a file the conversion reads, a recording, or what a
// symbolic link planted under the name leads to.

#include <string>

enum class OutputRefusal { None, IsDirectory, NotRegularFile, IsSymbolicLink, IsInput, IsCalibration, IsDataFile };

// Why the output must not be written at `path`, or None. The input and
// calibration files are compared as files (device and inode), so another
// name of the same file is caught too. A symbolic link is never followed:
// in a shared folder it could lead the write to another user's file.
OutputRefusal refuseOutput(const std::string& path, const std::string& input, const std::string& calFile);
