#pragma once
// Runs work in a child process that file permissions bind. Root is not bound
// by them, so the child of a test run as root first becomes the user
// "nobody"; any other user's child stays that user.

#include <filesystem>
#include <functional>
#include <vector>

// Exit status of a child that could not drop its privileges.
inline constexpr int PrivilegesNotDropped = 125;

enum class ChildPrivileges { Kept, Dropped };

// The child's exit status (work's result), or -1 when it did not exit.
int runInChild(const std::function<int()>& work, ChildPrivileges privileges = ChildPrivileges::Dropped);

// For its lifetime the paths can be read (and folders entered) by everyone
// and written by no one but root. Folders above the first path are opened
// for entering so that the child can reach it.
class WriteProtection {
public:
    explicit WriteProtection(std::vector<std::filesystem::path> paths);
    ~WriteProtection();
    WriteProtection(const WriteProtection&) = delete;
    WriteProtection& operator=(const WriteProtection&) = delete;

private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::perms>> saved_;
};
