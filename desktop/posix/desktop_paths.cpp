#include "desktop/posix/desktop_paths.h"

#include "desktop/desktop_file_types.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace desktop {

namespace {

fs::path homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir && *entry->pw_dir)
        return entry->pw_dir;
    throw DesktopRegistrationError("the home folder is not known (HOME is not set)");
}

// The base directory rules ignore relative paths in these variables.
fs::path baseFolder(const char* variable, const char* belowHome)
{
    if (const char* value = std::getenv(variable); value && *value == '/')
        return value;
    return homeFolder() / belowHome;
}

} // namespace

fs::path userDataHome()
{
    return baseFolder("XDG_DATA_HOME", ".local/share");
}

fs::path userConfigHome()
{
    return baseFolder("XDG_CONFIG_HOME", ".config");
}

std::vector<fs::path> systemDataDirs()
{
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::istringstream list(value && *value ? value : "/usr/local/share:/usr/share");
    std::vector<fs::path> dirs;
    std::string dir;
    while (std::getline(list, dir, ':')) {
        if (!dir.empty() && dir.front() == '/')
            dirs.emplace_back(dir);
    }
    return dirs;
}

std::vector<fs::path> allDataDirs()
{
    std::vector<fs::path> dirs{userDataHome()};
    for (const fs::path& dir : systemDataDirs())
        dirs.push_back(dir);
    return dirs;
}

std::optional<fs::path> systemDataFile(const fs::path& relative)
{
    for (const fs::path& dir : systemDataDirs()) {
        std::error_code error;
        if (fs::is_regular_file(dir / relative, error))
            return dir / relative;
    }
    return std::nullopt;
}

} // namespace desktop
