#include "store/posix/store_location.h"

#include <cstdlib>
#include <string>

#include <pwd.h>
#include <unistd.h>

namespace {

std::filesystem::path environmentPath(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path homeFolder()
{
    std::filesystem::path home = environmentPath("HOME");
    if (home.is_absolute()) {
        return home;
    }
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? std::filesystem::path(user->pw_dir) : std::filesystem::path();
}

std::filesystem::path configFolder()
{
    std::filesystem::path config = environmentPath("XDG_CONFIG_HOME");
    if (config.is_absolute()) {
        return config;
    }
    std::filesystem::path home = homeFolder();
    return home.empty() ? home : home / ".config";
}

} // namespace

std::filesystem::path userStorePath()
{
    std::filesystem::path config = configFolder();
    return config.empty() ? config : config / "Orvantis" / "store.sqlite";
}
