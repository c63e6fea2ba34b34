#include "temp_dir.h"

#include "core/file_path.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

// A fresh name under the temporary directory; create_directory fails on a
// name that exists, so two tests never share a directory.
TempDir::TempDir()
{
    std::mt19937_64 random(std::random_device{}());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            std::filesystem::temp_directory_path() / ("orvantis-test-" + std::to_string(random() % 1000000000u));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const
{
    return (path_ / name).string();
}

std::string TempDir::write(const std::string& name, const std::string& bytes) const
{
    const std::string path = file(name);
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
    return path;
}

std::vector<std::string> folderContents(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(utf8FromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> temporariesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names = folderContents(folder);
    std::erase_if(names, [](const std::string& name) { return !name.ends_with(".part"); });
    return names;
}
