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

std::string keyFileUnescaped(const std::string& value)
{
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[++i]) {
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        case 's': text += ' '; break;
        default: text += value[i];
        }
    }
    return text;
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

// The raw value of the key in the [Desktop Entry] group (the last one when
// repeated), or the empty text.
std::string mainGroupValue(const std::string& entryText, const std::string& key)
{
    std::istringstream lines(entryText);
    std::string line;
    std::string value;
    bool inMainGroup = false;
    while (std::getline(lines, line)) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        size_t equals = line.find('=');
        if (inMainGroup && equals != std::string::npos && trimmed(line.substr(0, equals)) == key)
            value = trimmed(line.substr(equals + 1));
    }
    return value;
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

std::string execCommand(const std::string& programPath)
{
    if (programPath.find('%') == std::string::npos)
        return execArgument(programPath) + " %F";
    return "sh -c " + execArgument("exec \"$0\" \"$@\"") + " " + execArgument(programPath) + " %F";
}

std::vector<std::string> entryMimeTypes(const std::string& entryText)
{
    return listItems(mainGroupValue(entryText, "MimeType"), ';');
}

std::string entryProgram(const std::string& entryText)
{
    return keyFileUnescaped(mainGroupValue(entryText, "TryExec"));
}

std::string desktopEntryText(const std::string& programPath, const std::vector<std::string>& mimeTypes)
{
    std::string typeList;
    for (const std::string& type : mimeTypes)
        typeList += type + ";";
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Orvantis\n"
           "GenericName=Spectra Converter\n"
           "Comment=Turn Tidelume radiometer recordings into calibrated spectra\n"
           "Exec=" +
           keyFileEscaped(execCommand(programPath)) +
           "\n"
           "TryExec=" +
           keyFileEscaped(programPath) +
           "\n"
           "Icon=" +
           std::string(ProgramIconName) +
           "\n"
           "Terminal=false\n"
           "StartupWMClass=Orvantis\n"
           "Categories=Science;DataVisualization;\n"
           "MimeType=" +
           typeList + "\n";
}

} // namespace desktop
