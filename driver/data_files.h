#pragma once
// The data files a run is given: a folder stands for every data file under
// it, nested folders too.

#include <string>
#include <vector>

// Each path as given, except that a folder becomes the `.ASC` and `.BIN`
// files (any letter case) under it, at any depth, in sorted order; outputs
// and every other file there are left out.
std::vector<std::string> dataFilesOf(const std::vector<std::string>& paths);
