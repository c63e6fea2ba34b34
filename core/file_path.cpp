#include "core/file_path.h"

std::string sameFileKey(const std::string& path)
{
    // Made absolute first: of a relative name that does not exist yet, the
    // canonical form would stay relative.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(path), error).lexically_normal();
    const std::filesystem::path full = std::filesystem::weakly_canonical(absolute, error);
    return utf8FromPath(caseFoldedForSystem(error ? absolute : full));
}
