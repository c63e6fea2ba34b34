#include "conversion/output_target.h"

#include "core/file_path.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// More links than any real chain holds: a loop ends here.
constexpr int MAX_LINKS = 40;

bool sameFile(const fs::path& a, const std::string& b)
{
    std::error_code error;
    return !b.empty() && fs::equivalent(a, pathFromUtf8(b), error) && !error;
}

} // namespace

std::string outputTarget(const std::string& path)
{
    fs::path target = pathFromUtf8(path);
    std::error_code error;
    for (int links = 0; links < MAX_LINKS && fs::is_symlink(target, error); ++links) {
        const fs::path next = fs::read_symlink(target, error);
        if (error)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return utf8FromPath(target);
}

OutputRefusal refuseOutput(const std::string& target, const std::string& input, const std::string& calFile)
{
    std::error_code error;
    const fs::path targetPath = pathFromUtf8(target);
    const fs::file_status status = fs::status(targetPath, error);
    if (!fs::exists(status))
        return OutputRefusal::None;
    if (fs::is_directory(status))
        return OutputRefusal::IsDirectory;
    if (!fs::is_regular_file(status))
        return OutputRefusal::NotRegularFile;
    if (sameFile(targetPath, input))
        return OutputRefusal::IsInput;
    if (sameFile(targetPath, calFile))
        return OutputRefusal::IsCalibration;
    return OutputRefusal::None;
}
