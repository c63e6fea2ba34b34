#include "core/regular_file.h"

#include "core/file_path.h"

#include <cstring>
#include <filesystem>

FileKind fileKind(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(pathFromUtf8(path), error);
    if (path.empty() || !std::filesystem::exists(status))
        return FileKind::Missing;
    if (std::filesystem::is_regular_file(status))
        return FileKind::Regular;
    return std::filesystem::is_directory(status) ? FileKind::Folder : FileKind::Other;
}

std::string openErrorText(int error)
{
    return error == NOT_REGULAR_FILE ? "not a regular file" : std::strerror(error);
}
