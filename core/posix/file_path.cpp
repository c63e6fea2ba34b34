#include "core/file_path.h"

// The bytes of a name are the name, whatever their encoding.
std::filesystem::path pathFromUtf8(const std::string& text)
{
    return text;
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    return path.string();
}

std::filesystem::path caseFoldedForSystem(const std::filesystem::path& path)
{
    return path;
}
