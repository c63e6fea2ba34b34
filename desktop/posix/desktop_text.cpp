#include "desktop/posix/desktop_text.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace desktop {

std::string trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::vector<std::string> listItems(const std::string& list, char separator)
{
    std::vector<std::string> items;
    std::istringstream in(list);
    std::string item;
    while (std::getline(in, item, separator)) {
        if (!trimmed(item).empty())
            items.push_back(trimmed(item));
    }
    return items;
}

std::string lowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace desktop
