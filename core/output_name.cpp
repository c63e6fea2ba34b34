#include "core/output_name.h"

std::string outputFileName(const std::string& inputPath, int level, bool binary)
{
    const std::string::size_type dot = inputPath.rfind('.');
    std::string name = dot == std::string::npos ? inputPath : inputPath.substr(0, dot);
    if (binary)
        name += level == 0 ? ".BRW" : ".BDT";
    else
        name += level == 0 ? ".RAW" : ".DAT";
    return name;
}
