#include "conversion/output_name.h"

#include <filesystem>

namespace {

bool isPathSeparator(char c)
{
    return c == '/' || c == static_cast<char>(std::filesystem::path::preferred_separator);
}

} // namespace

std::string::size_type fileNameStart(const std::string& path)
{
    std::string::size_type nameStart = path.size();
    while (nameStart > 0 && !isPathSeparator(path[nameStart - 1]))
        --nameStart;
    return nameStart;
}

std::string outputFileName(const std::string& inputPath, int level, OutputForm form)
{
    const std::string::size_type nameStart = fileNameStart(inputPath);
    const std::string::size_type dot = inputPath.rfind('.');
    const bool dotInName = dot != std::string::npos && dot >= nameStart;
    std::string name = dotInName ? inputPath.substr(0, dot) : inputPath;
    switch (form) {
    case OutputForm::Text: return name + (level == 0 ? ".RAW" : ".DAT");
    case OutputForm::Binary: return name + (level == 0 ? ".BRW" : ".BDT");
    case OutputForm::NetCdf: break;
    }
    return name + (level == 0 ? ".RAW.nc" : ".nc");
}
