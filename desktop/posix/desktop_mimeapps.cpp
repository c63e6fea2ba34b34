#include "desktop/posix/desktop_mimeapps.h"

#include "desktop/posix/desktop_text.h"

#include <optional>
#include <sstream>
#include <vector>

namespace desktop {

namespace {

const char* const DefaultGroup = "[Default Applications]";

using Lines = std::vector<std::string>;

Lines splitLines(const std::string& text)
{
    Lines lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string joinedLines(const Lines& lines)
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

bool isDefaultGroup(const std::string& line)
{
    return trimmed(line) == DefaultGroup;
}

std::string keyOf(const std::string& line)
{
    size_t equals = line.find('=');
    return equals == std::string::npos ? std::string() : trimmed(line.substr(0, equals));
}

std::vector<std::string> applicationsOf(const std::string& line)
{
    return listItems(line.substr(line.find('=') + 1), ';');
}

std::string entryLine(const std::string& mimeType, const std::vector<std::string>& ids)
{
    std::string entry = mimeType + "=";
    for (const std::string& id : ids)
        entry += id + ";";
    return entry;
}

// Where the type's lines and the default groups are.
struct ListLayout {
    std::optional<size_t> effectiveEntry; // the type's last line in a default group
    std::optional<size_t> lastGroup;      // the header of the last default group
};

ListLayout layoutOf(const Lines& lines, const std::string& mimeType)
{
    ListLayout layout;
    bool inDefaultGroup = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (isGroupHeader(lines[i])) {
            inDefaultGroup = isDefaultGroup(lines[i]);
            if (inDefaultGroup)
                layout.lastGroup = i;
        } else if (inDefaultGroup && keyOf(lines[i]) == mimeType) {
            layout.effectiveEntry = i;
        }
    }
    return layout;
}

// The line after the last non-blank line of the group starting at header.
size_t endOfGroup(const Lines& lines, size_t header)
{
    size_t end = header + 1;
    for (size_t i = header + 1; i < lines.size() && !isGroupHeader(lines[i]); ++i) {
        if (!trimmed(lines[i]).empty())
            end = i + 1;
    }
    return end;
}

bool groupIsEmpty(const Lines& lines, size_t header)
{
    return endOfGroup(lines, header) == header + 1;
}

void removeGroup(Lines& lines, size_t header)
{
    size_t first = header > 0 && trimmed(lines[header - 1]).empty() ? header - 1 : header;
    size_t last = header + 1;
    while (last < lines.size() && !isGroupHeader(lines[last]) && trimmed(lines[last]).empty())
        ++last;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(first), lines.begin() + static_cast<std::ptrdiff_t>(last));
}

std::optional<size_t> headerAbove(const Lines& lines, size_t line)
{
    for (size_t i = line + 1; i-- > 0;) {
        if (isGroupHeader(lines[i]))
            return i;
    }
    return std::nullopt;
}

} // namespace

std::string withDefaultApplication(const std::string& listText, const std::string& mimeType,
                                   const std::string& desktopId)
{
    Lines lines = splitLines(listText);
    ListLayout layout = layoutOf(lines, mimeType);
    if (layout.effectiveEntry) {
        // The application first, then the ones named before, as fall-backs.
        std::vector<std::string> ids{desktopId};
        for (const std::string& id : applicationsOf(lines[*layout.effectiveEntry]))
            if (id != desktopId)
                ids.push_back(id);
        lines[*layout.effectiveEntry] = entryLine(mimeType, ids);
    } else if (layout.lastGroup) {
        size_t end = endOfGroup(lines, *layout.lastGroup);
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(end), entryLine(mimeType, {desktopId}));
    } else {
        if (!lines.empty() && !trimmed(lines.back()).empty())
            lines.push_back("");
        lines.push_back(DefaultGroup);
        lines.push_back(entryLine(mimeType, {desktopId}));
    }
    return joinedLines(lines);
}

std::string withoutDefaultApplication(const std::string& listText, const std::string& mimeType,
                                      const std::string& desktopId)
{
    Lines lines = splitLines(listText);
    std::optional<size_t> entry = layoutOf(lines, mimeType).effectiveEntry;
    if (!entry)
        return listText;
    std::vector<std::string> ids;
    for (const std::string& id : applicationsOf(lines[*entry]))
        if (id != desktopId)
            ids.push_back(id);
    if (!ids.empty()) {
        lines[*entry] = entryLine(mimeType, ids);
        return joinedLines(lines);
    }
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*entry));
    if (std::optional<size_t> header = headerAbove(lines, *entry - 1); header && groupIsEmpty(lines, *header))
        removeGroup(lines, *header);
    return joinedLines(lines);
}

std::string defaultApplication(const std::string& listText, const std::string& mimeType)
{
    Lines lines = splitLines(listText);
    std::optional<size_t> entry = layoutOf(lines, mimeType).effectiveEntry;
    if (!entry)
        return {};
    std::vector<std::string> ids = applicationsOf(lines[*entry]);
    return ids.empty() ? std::string() : ids.front();
}

} // namespace desktop
