#include "cli/window_program.h"

#include <windows.h>

#include <vector>

std::filesystem::path runningProgramFile()
{
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size())
            return std::filesystem::path(std::wstring(name.data(), length));
        name.resize(name.size() * 2);
    }
}
