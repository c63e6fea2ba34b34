#include "driver/file_age.h"

#include "core/file_path.h"

#include <chrono>
#include <ctime>
#include <filesystem>

int32_t fileAge(const std::string& path)
{
    const std::filesystem::path file = pathFromUtf8(path);
    std::error_code error;
    if (!std::filesystem::exists(file, error) || std::filesystem::is_directory(file, error))
        return -1;
    const auto written = std::filesystem::last_write_time(file, error);
    if (error)
        return -1;
    const std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    localtime_r(&seconds, &local);
    const uint32_t packed = static_cast<uint32_t>(local.tm_year + 1900 - 1980) << 25 |
                            static_cast<uint32_t>(local.tm_mon + 1) << 21 | static_cast<uint32_t>(local.tm_mday) << 16 |
                            static_cast<uint32_t>(local.tm_hour) << 11 | static_cast<uint32_t>(local.tm_min) << 5 |
                            static_cast<uint32_t>(local.tm_sec / 2);
    return static_cast<int32_t>(packed);
}
