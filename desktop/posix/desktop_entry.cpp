#include "desktop/posix/desktop_entry.h"

#include "desktop/posix/desktop_text.h"

#include <sstream>

namespace desktop {

namespace {

const std::string ReservedCharacters = " \t\n\"'\\><~|&;$*?#()`";
const std::string EscapedInQuotes = "\"`$\\";

// The key-file escapes of a string value, applied after the Exec quoting.
std::string keyFileEscaped(const std::string& value)
{
    std::string escaped;
    for (char c : value) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string withPercentDoubled(const std::string& text)
{
    std::string doubled;
    for (char c : text) {
        doubled += c;
        if (c == '%')
            doubled += '%';
    }
    return doubled;
}

} // namespace

std::string execArgument(const std::string& programPath)
{
    if (programPath.find_first_of(ReservedCharacters) == std::string::npos)
        return withPercentDoubled(programPath);
    std::string quoted = "\"";
    for (char c : programPath) {
        if (EscapedInQuotes.find(c) != std::string::npos)
            quoted += '\\';
        quoted += c;
    }
    return withPercentDoubled(quoted + "\"");
}

std::vector<std::string> entryMimeTypes(const std::string& entryText)
{
    std::vector<std::string> types;
    std::istringstream lines(entryText);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos || trimmed(line.substr(0, equals)) != "MimeType")
            continue;
        types = listItems(line.substr(equals + 1), ';');
    }
    return types;
}

std::string desktopEntryText(const std::string& programPath, const std::vector<std::string>& mimeTypes)
{
    std::string typeList;
    for (const std::string& type : mimeTypes)
        typeList += type + ";";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvantis\n"
           "Exec=" +
           keyFileEscaped(execArgument(programPath)) +
           " %F\n"
           "Icon=" +
           std::string(ProgramIconName) +
           "\n"
           "Terminal=false\n"
           "Categories=Science;\n"
           "MimeType=" +
           typeList + "\n";
}

} // namespace desktop
