#pragma once

#include <filesystem>

// Where the user's store lives: $XDG_CONFIG_HOME/Orvantis/store.sqlite, with
// ~/.config standing in when XDG_CONFIG_HOME is unset, empty or not an
// absolute path. Empty when the user has no home folder to fall back on.
std::filesystem::path userStorePath();
