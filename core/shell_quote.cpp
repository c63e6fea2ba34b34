#include "core/shell_quote.h"

#include <algorithm>
#include <string_view>

namespace {

bool safeInShell(char c)
{
    static constexpr std::string_view SAFE = "_@%+=:,./-";
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           SAFE.find(c) != std::string_view::npos;
}

} // namespace

std::string shellQuoted(const std::string& argument)
{
    if (argument.empty())
        return "''";
    if (std::all_of(argument.begin(), argument.end(), safeInShell))
        return argument;
    std::string quoted = "'";
    for (const char c : argument)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
