#include "desktop/posix/desktop_mime_database.h"

#include "desktop/posix/desktop_paths.h"
#include "desktop/posix/desktop_text.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace desktop {

namespace {

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t colon = line.find(':'); colon != std::string::npos; colon = line.find(':', start)) {
        parts.push_back(line.substr(start, colon - start));
        start = colon + 1;
    }
    parts.push_back(line.substr(start));
    return parts;
}

// A globs2 line "weight:type:pattern[:flags]" naming the extension.
bool namesExtension(const std::vector<std::string>& parts, const std::string& extension)
{
    if (parts.size() < 3)
        return false;
    bool caseSensitive = parts.size() > 3 && parts[3].find("cs") != std::string::npos;
    return caseSensitive ? parts[2] == "*" + extension : lowerCase(parts[2]) == "*" + lowerCase(extension);
}

} // namespace

std::string typeNamingExtension(const std::string& extension)
{
    std::string best;
    int bestWeight = -1;
    for (const fs::path& dir : allDataDirs()) {
        std::ifstream globs(dir / "mime" / "globs2");
        std::string line;
        while (std::getline(globs, line)) {
            if (line.empty() || line.front() == '#')
                continue;
            std::vector<std::string> parts = fields(line);
            if (!namesExtension(parts, extension))
                continue;
            int weight = std::atoi(parts[0].c_str());
            if (weight > bestWeight) {
                best = parts[1];
                bestWeight = weight;
            }
        }
    }
    return best;
}

bool typeIsKnown(const std::string& mimeType)
{
    for (const fs::path& dir : allDataDirs()) {
        std::ifstream types(dir / "mime" / "types");
        std::string line;
        while (std::getline(types, line)) {
            if (line == mimeType)
                return true;
        }
    }
    return false;
}

} // namespace desktop
