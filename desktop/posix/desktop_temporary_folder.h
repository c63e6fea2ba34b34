#pragma once
// A private folder in the system's temporary area, removed with everything
// in it when the object goes.

#include <filesystem>

namespace desktop {

class TemporaryFolder {
public:
    // Throws DesktopRegistrationError when the folder cannot be made.
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace desktop
