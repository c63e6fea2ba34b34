#pragma once
// The per-user folders of the freedesktop.org base directory layout.

#include <filesystem>
#include <optional>
#include <vector>

namespace desktop {

// $XDG_DATA_HOME, or ~/.local/share when unset or not absolute.
std::filesystem::path userDataHome();
// $XDG_CONFIG_HOME, or ~/.config when unset or not absolute.
std::filesystem::path userConfigHome();
// The system's data folders ($XDG_DATA_DIRS, its absolute entries; else
// /usr/local/share and /usr/share), most important first.
std::vector<std::filesystem::path> systemDataDirs();
// The user's data folder, then the system's.
std::vector<std::filesystem::path> allDataDirs();
// The first system data folder's file at the path below it, if any.
std::optional<std::filesystem::path> systemDataFile(const std::filesystem::path& relative);

} // namespace desktop
