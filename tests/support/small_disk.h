#pragma once
// A folder on a disk of its own that holds only a few kilobytes (a tmpfs
// mounted for the test's lifetime), so that writes fail as on a full disk
// with the system's own ENOSPC. Mounting needs root, as in CI.

#include <filesystem>
#include <string>

class SmallDisk {
public:
    SmallDisk(std::filesystem::path folder, std::size_t kilobytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    // False when the disk could not be mounted; why() says why.
    bool mounted() const { return mounted_; }
    const std::string& why() const { return why_; }
    // Takes up every byte left, with a file of its own.
    void fill() const;

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string why_;
};
