#pragma once
// The lock that tells a temporary being written from one an ended run left
// behind: whoever writes a temporary holds a write lock on it until it is in
// place, and the system drops it when the process ends, however it ends.

#include <string>

// Locks the temporary just created as fd under path. false when the name
// was taken for one left behind before the lock was held (the file is, or is
// about to be, gone): the caller closes fd and tries another name.
bool holdNewTemporary(int fd, const std::string& path);
