#include "cli/window_program.h"

std::filesystem::path windowProgramBeside(const std::filesystem::path& converter)
{
    return converter.parent_path() / ("orvantis" + converter.extension().string());
}
