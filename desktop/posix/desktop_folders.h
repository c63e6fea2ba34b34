#pragma once
// Where the desktop keeps each kind of file the registration writes, below a
// data folder (the user's, or the system's for an installed package).

#include "desktop/posix/desktop_entry.h"
#include "desktop/posix/desktop_mime_package.h"

#include <filesystem>

namespace desktop {

struct DataFolders {
    std::filesystem::path mime;
    std::filesystem::path applications;
    std::filesystem::path typeIcons;
    std::filesystem::path programIcons;

    explicit DataFolders(const std::filesystem::path& data)
        : mime(data / "mime"), applications(data / "applications"),
          typeIcons(data / "icons" / "hicolor" / "scalable" / "mimetypes"),
          programIcons(data / "icons" / "hicolor" / "scalable" / "apps")
    {}

    std::filesystem::path package(const DesktopFileType& type) const
    {
        return mime / "packages" / type.packageFileName();
    }
    std::filesystem::path typeIcon(const DesktopFileType& type) const { return typeIcons / (type.iconName() + ".svg"); }
    std::filesystem::path programIcon() const { return programIcons / (std::string(ProgramIconName) + ".svg"); }
    std::filesystem::path entry() const { return applications / DesktopEntryId; }
};

} // namespace desktop
