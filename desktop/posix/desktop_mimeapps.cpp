#include "desktop/posix/desktop_mimeapps.h"

#include "desktop/posix/desktop_text.h"

#include <sstream>
#include <vector>

namespace desktop {

namespace {

const char* const DefaultGroup = "[Default Applications]";

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

bool isGroupHeader(const std::string& line)
{
    return trimmed(line).starts_with('[');
}

std::string keyOf(const std::string& line)
{
    size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : trimmed(line.substr(0, equals));
}

// The application first, then the applications the entry named before, so
// that they stay as fall-backs.
std::string entryWithFirst(const std::string& line, const std::string& mimeType, const std::string& desktopId)
{
    std::string entry = mimeType + "=" + desktopId + ";";
    for (const std::string& id : listItems(line.substr(line.find('=') + 1), ';')) {
        if (id != desktopId)
            entry += id + ";";
    }
    return entry;
}

} // namespace

std::string withDefaultApplication(const std::string& listText, const std::string& mimeType,
                                   const std::string& desktopId)
{
    std::vector<std::string> lines = splitLines(listText);
    size_t group = 0;
    while (group < lines.size() && trimmed(lines[group]) != DefaultGroup)
        ++group;
    if (group == lines.size()) {
        if (!lines.empty() && !trimmed(lines.back()).empty())
            lines.push_back("");
        lines.push_back(DefaultGroup);
        lines.push_back(mimeType + "=" + desktopId + ";");
        return joinedLines(lines);
    }
    size_t lastLineOfGroup = group;
    for (size_t i = group + 1; i < lines.size() && !isGroupHeader(lines[i]); ++i) {
        if (keyOf(lines[i]) == mimeType) {
            lines[i] = entryWithFirst(lines[i], mimeType, desktopId);
            return joinedLines(lines);
        }
        if (!trimmed(lines[i]).empty())
            lastLineOfGroup = i;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(lastLineOfGroup) + 1, mimeType + "=" + desktopId + ";");
    return joinedLines(lines);
}

} // namespace desktop
