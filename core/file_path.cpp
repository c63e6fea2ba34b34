#include "core/file_path.h"

namespace fs = std::filesystem;

namespace {

// Links followed at most, as the system follows them before it gives up.
constexpr int MostLinksFollowed = 40;

// Where the symbolic links at `path` lead, followed also to a file that does
// not exist yet: the name of a link to another file's output is the same
// key before that output is written as after.
fs::path followingLinks(fs::path path)
{
    for (int followed = 0; followed < MostLinksFollowed; ++followed) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(path, error)))
            break;
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            break;
        path = (fs::weakly_canonical(path.parent_path(), error) / target).lexically_normal();
    }
    return path;
}

} // namespace

std::string sameFileKey(const std::string& path)
{
    // Made absolute first: of a relative name that does not exist yet, the
    // canonical form would stay relative.
    std::error_code error;
    const fs::path absolute = fs::absolute(pathFromUtf8(path), error).lexically_normal();
    const fs::path full = fs::weakly_canonical(followingLinks(absolute), error);
    return utf8FromPath(caseFoldedForSystem(error ? absolute : full));
}
