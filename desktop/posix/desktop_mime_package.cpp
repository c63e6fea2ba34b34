#include "desktop/posix/desktop_mime_package.h"

#include "desktop/desktop_file_types.h"

#include <algorithm>
#include <cctype>

namespace desktop {

namespace {

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool allOf(const std::string& text, const std::string& extraCharacters)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [&](unsigned char c) {
        return std::isalnum(c) || extraCharacters.find(static_cast<char>(c)) != std::string::npos;
    });
}

std::string xmlEscaped(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// Data files of the same name can hold anything, so the type claims them
// from the desktop's generic types in the two ways its lookup honours: the
// text type refines text/plain, which the lookup prefers over a type with a
// mere glob once the content looks like text; the binary type is recognised
// by its text header ("Tidelume" first) followed by a 0x0F record byte.
std::string contentRules(const DesktopFileType& type)
{
    if (!type.binary)
        return "    <sub-class-of type=\"text/plain\"/>\n";
    return "    <magic priority=\"80\">\n"
           "      <match type=\"string\" value=\"Tidelume\" offset=\"0\">\n"
           "        <match type=\"byte\" value=\"0x0f\" offset=\"8:4095\"/>\n"
           "      </match>\n"
           "    </magic>\n";
}

} // namespace

std::string DesktopFileType::iconName() const
{
    std::string name = mimeType;
    std::replace(name.begin(), name.end(), '/', '-');
    return name;
}

std::string DesktopFileType::packageFileName() const
{
    return "orvantis-" + mimeType.substr(mimeType.find("/x-") + 3) + ".xml";
}

DesktopFileType desktopFileType(const std::string& extension, const std::string& typeName)
{
    if (extension.size() < 2 || extension[0] != '.' || !allOf(extension.substr(1), "_-"))
        throw DesktopRegistrationError("invalid file extension \"" + extension + "\"");
    if (!allOf(typeName, ".+_-"))
        throw DesktopRegistrationError("invalid file-type name \"" + typeName + "\"");
    DesktopFileType type;
    type.mimeType = "application/x-" + lowerCase(typeName);
    type.globPattern = "*" + lowerCase(extension);
    // The instrument's .BIN files are binary records behind text header
    // lines; its other data files are text.
    type.binary = lowerCase(extension) == ".bin";
    return type;
}

std::string mimePackageText(const DesktopFileType& type, const std::string& description)
{
    // The weight puts the type ahead of the system's own types for the
    // extension (text/plain claims *.asc at 50), glob matching ignores case.
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           type.mimeType +
           "\">\n"
           "    <comment>" +
           xmlEscaped(description) + "</comment>\n" + contentRules(type) + "    <icon name=\"" + type.iconName() +
           "\"/>\n"
           "    <glob pattern=\"" +
           type.globPattern +
           "\" weight=\"80\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

} // namespace desktop
