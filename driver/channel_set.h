#pragma once
// A data set is one file per channel whose names differ only in the channel
// letter, the last letter of the name before the extension (and before a
// digit that may end it): CAST001A.ASC, CAST001B.ASC, ...

#include <string>
#include <vector>

// The names the files of channels A to Y of the set of `path` would have,
// in order of their letters; `path` itself among them.
std::vector<std::string> channelSetNames(const std::string& path);
