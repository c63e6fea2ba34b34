#include "temp_config_home.h"

#include <cstdlib>
#include <string>

namespace {

std::filesystem::path makeTempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvantis-store-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    return pattern;
}

} // namespace

TempConfigHome::TempConfigHome() : tempRoot_(makeTempFolder()), configHome_(tempRoot_ / "config")
{
    setConfigHome(configHome_);
}

TempConfigHome::~TempConfigHome()
{
    unsetenv("XDG_CONFIG_HOME");
    std::error_code ec;
    std::filesystem::remove_all(tempRoot_, ec);
}

void TempConfigHome::setConfigHome(const std::filesystem::path& folder)
{
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}
