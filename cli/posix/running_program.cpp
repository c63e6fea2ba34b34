#include "cli/window_program.h"

std::filesystem::path runningProgramFile()
{
    std::error_code error;
    std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : file;
}
