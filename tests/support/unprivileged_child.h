#pragma once
// Runs work in a child process that file permissions bind. Root is not bound
// by them, so the child of a test run as root first gives up every
// capability (it stays root, the owner of what the test made); any other
// user's child stays as it is.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Exit status of a child that could not drop its privileges.
inline constexpr int PrivilegesNotDropped = 125;

enum class ChildPrivileges { Kept, Dropped };

// The child's exit status (work's result), or -1 when it did not exit.
int runInChild(const std::function<int()>& work, ChildPrivileges privileges = ChildPrivileges::Dropped);

// The text work returned in such a child, or a text starting with "child
// failed" when it could not run.
std::string runInChildForText(const std::function<std::string()>& work);

// For its lifetime the paths can be read (and folders entered) by everyone
// and written by no one but a privileged root.
class WriteProtection {
public:
    explicit WriteProtection(std::vector<std::filesystem::path> paths);
    ~WriteProtection();
    WriteProtection(const WriteProtection&) = delete;
    WriteProtection& operator=(const WriteProtection&) = delete;

private:
    std::vector<std::pair<std::filesystem::path, std::filesystem::perms>> saved_;
};
