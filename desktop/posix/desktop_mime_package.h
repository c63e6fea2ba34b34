#pragma once
// The shared-mime-info description of one of the program's data file types.

#include <string>

namespace desktop {

struct DesktopFileType {
    std::string mimeType;    // "application/x-" + the lower-cased file-type name
    std::string globPattern; // "*" + the lower-cased extension; matches any letter case
    bool binary = false;     // recognised by content alone

    // The icon name the desktop derives from the type.
    std::string iconName() const;
    // The package file below mime/packages.
    std::string packageFileName() const;
};

// The type for an extension such as ".ASC" and a file-type name such as
// "Tidelume.ASC". Throws DesktopRegistrationError for names that cannot
// stand in a type name or a file name.
DesktopFileType desktopFileType(const std::string& extension, const std::string& typeName);

// The package XML, with the description as the type's comment.
std::string mimePackageText(const DesktopFileType& type, const std::string& description);

} // namespace desktop
