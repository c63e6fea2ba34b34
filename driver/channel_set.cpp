#include "driver/channel_set.h"

namespace {

// The extension runs from the last period after the last path separator.
std::size_t extensionStart(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    const std::size_t slash = name.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return name.size();
    return dot;
}

} // namespace

std::vector<std::string> channelSetNames(const std::string& path)
{
    const std::size_t cut = extensionStart(path);
    std::string stem = path.substr(0, cut);
    std::string tail = path.substr(cut);
    if (!stem.empty() && stem.back() >= '0' && stem.back() <= '9') {
        tail.insert(tail.begin(), stem.back());
        stem.pop_back();
    }
    if (!stem.empty())
        stem.pop_back(); // the channel letter
    std::vector<std::string> names;
    for (char letter = 'A'; letter <= 'Y'; ++letter)
        names.push_back(stem + letter + tail);
    return names;
}
