#pragma once
// The per-user folders of the freedesktop.org base directory layout.

#include <filesystem>

namespace desktop {

// $XDG_DATA_HOME, or ~/.local/share when unset or not absolute.
std::filesystem::path userDataHome();
// $XDG_CONFIG_HOME, or ~/.config when unset or not absolute.
std::filesystem::path userConfigHome();

} // namespace desktop
