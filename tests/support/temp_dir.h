#pragma once
// A private directory under the system's temporary directory for the files
// of one test, removed with everything in it at the end.

#include <filesystem>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a file of that name in the directory.
    std::string file(const std::string& name) const;
    // Writes bytes to a file of that name in the directory; returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

// The names of what a folder holds, sorted, temporary files included.
std::vector<std::string> folderContents(const std::filesystem::path& folder);
// Those of them that are pending outputs' temporaries (NAME.part).
std::vector<std::string> temporariesIn(const std::filesystem::path& folder);
