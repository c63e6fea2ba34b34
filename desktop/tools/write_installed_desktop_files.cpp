// orvantis-desktop-files DATAFOLDER: writes the desktop entry, MIME packages
// and icons that the package installs, at build time, so that they come from
// the code the per-user registration uses.

#include "desktop/desktop_file_types.h"
#include "desktop/posix/desktop_installed_files.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: orvantis-desktop-files DATAFOLDER\n", stderr);
        return 2;
    }
    try {
        desktop::writeInstalledDesktopFiles(argv[1]);
    } catch (const DesktopRegistrationError& error) {
        std::fprintf(stderr, "orvantis-desktop-files: %s\n", error.what());
        return 1;
    }
    return 0;
}
