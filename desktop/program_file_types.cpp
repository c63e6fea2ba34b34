#include "desktop/desktop_file_types.h"

#include <algorithm>
#include <cctype>

namespace {

bool sameLettersIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

} // namespace

const std::vector<ProgramFileType>& programFileTypes()
{
    static const std::vector<ProgramFileType> types{
        {".ASC", "Tidelume.ASC", "Tidelume Ascii Files"},
        {".BIN", "Tidelume.BIN", "Tidelume Binary Files"},
    };
    return types;
}

const ProgramFileType* programFileTypeFor(const std::string& extension)
{
    for (const ProgramFileType& type : programFileTypes()) {
        if (sameLettersIgnoringCase(type.extension, extension))
            return &type;
    }
    return nullptr;
}
