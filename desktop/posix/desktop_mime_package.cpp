#include "desktop/posix/desktop_mime_package.h"

#include "desktop/desktop_file_types.h"
#include "desktop/posix/desktop_text.h"

#include <algorithm>
#include <cctype>

namespace desktop {

namespace {

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

// The instrument's header names it in the first non-blank line: at the very
// start, or at the start of a line after blank ones.
std::string headerMatch(const std::string& nested)
{
    return "      <match type=\"string\" value=\"Tidelume\" offset=\"0\">" + nested +
           "</match>\n"
           "      <match type=\"string\" value=\"\\nTidelume\" offset=\"0:255\">" +
           nested + "</match>\n";
}

// Content decides among the types sharing the name, as elsewhere on the
// desktop: GLib takes a content match of priority 80 or more over every name
// match, and otherwise the first name match that the content fits. The text
// type is a kind of text/plain; its name, weighted below text/plain, keeps
// other text files with their own types. The binary type is its header
// followed by a 0x0F record byte, ranked above the text type's header (which
// it also has); it claims no name at all, since a single name match would
// decide without looking at the content.
std::string contentRules(const DesktopFileType& type)
{
    if (!type.binary)
        return "    <sub-class-of type=\"text/plain\"/>\n"
               "    <generic-icon name=\"text-x-generic\"/>\n"
               "    <magic priority=\"80\">\n" +
               headerMatch("") +
               "    </magic>\n"
               "    <glob pattern=\"" +
               type.globPattern + "\" weight=\"10\"/>\n";
    return "    <generic-icon name=\"application-x-generic\"/>\n"
           "    <magic priority=\"90\">\n" +
           headerMatch("<match type=\"byte\" value=\"0x0f\" offset=\"8:4095\"/>") + "    </magic>\n";
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
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           type.mimeType +
           "\">\n"
           "    <comment>" +
           xmlEscaped(description) + "</comment>\n" + "    <icon name=\"" + type.iconName() + "\"/>\n" +
           contentRules(type) +
           "  </mime-type>\n"
           "</mime-info>\n";
}

} // namespace desktop
