#include "conversion/pending_name.h"

#include "conversion/output_name.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::string_view LETTERS = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t SUFFIX_LETTERS = 8;
constexpr std::string_view ENDING = ".part";
constexpr std::size_t NAME_KEPT = 200;

bool isUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// ".NAME.", where every temporary of finalPath starts. The name is never cut
// inside a character: a Windows name made of broken UTF-8 would not read
// back as the same text, and a later run could not find it.
std::string temporaryPrefix(const std::string& finalPath)
{
    const std::string_view name = std::string_view(finalPath).substr(fileNameStart(finalPath));
    std::size_t kept = std::min(name.size(), NAME_KEPT);
    while (kept > 0 && kept < name.size() && isUtf8Continuation(name[kept]))
        --kept;
    return "." + std::string(name.substr(0, kept)) + ".";
}

bool isSuffixLetter(char c)
{
    return LETTERS.find(c) != std::string_view::npos;
}

} // namespace

std::string temporaryNameBeside(const std::string& finalPath, std::mt19937_64& random)
{
    std::string suffix;
    for (std::size_t i = 0; i < SUFFIX_LETTERS; ++i)
        suffix += LETTERS[random() % LETTERS.size()];
    return finalPath.substr(0, fileNameStart(finalPath)) + temporaryPrefix(finalPath) + suffix + std::string(ENDING);
}

TemporaryNamePattern::TemporaryNamePattern(const std::string& finalPath) : prefix_(temporaryPrefix(finalPath)) {}

bool TemporaryNamePattern::matches(const std::string& fileName) const
{
    const std::string_view name = fileName;
    if (name.size() != prefix_.size() + SUFFIX_LETTERS + ENDING.size() || name.substr(0, prefix_.size()) != prefix_ ||
        name.substr(name.size() - ENDING.size()) != ENDING)
        return false;
    const std::string_view suffix = name.substr(prefix_.size(), SUFFIX_LETTERS);
    return std::all_of(suffix.begin(), suffix.end(), isSuffixLetter);
}

bool TemporaryNamePattern::mayBeOne(const std::string& fileName)
{
    return fileName.starts_with('.') && fileName.ends_with(ENDING);
}
