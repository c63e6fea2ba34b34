#pragma once
// The desktop files an installed package provides for every user, written
// by the same code as the per-user registration.

#include <filesystem>

namespace desktop {

// The program's name, found on PATH once installed.
inline const char* const InstalledProgramName = "orvantis";

// Writes below the data folder (a share/ folder): the desktop entry for
// both types, both MIME packages and the icons. Throws
// DesktopRegistrationError naming the file that cannot be written.
void writeInstalledDesktopFiles(const std::filesystem::path& dataFolder);

} // namespace desktop
