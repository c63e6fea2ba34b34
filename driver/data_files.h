#pragma once
// The data files a run is given: a folder stands for every data file under
// it, nested folders too. A folder that cannot be read whole is a failure of
// the run, never a shorter list.

#include <string>
#include <vector>

// A folder (or an entry of one) that could not be read, and the error line
// that names it: "season/c2: the folder cannot be read: Permission denied;
// the data files in it are not converted".
struct ListingFailure {
    std::string path;
    std::string text;
};

struct DataFileList {
    std::vector<std::string> files;
    std::vector<ListingFailure> failures;
};

// Each path as given, except that a folder becomes the `.ASC` and `.BIN`
// files (any letter case) under it, at any depth, in sorted order; outputs
// and every other file there are left out. Every folder that cannot be
// listed (its permissions, short of descriptors, removed meanwhile) is a
// failure; the files found elsewhere are listed all the same.
DataFileList dataFilesOf(const std::vector<std::string>& paths);
