#include "conversion/output_target.h"

#include "core/file_path.h"
#include "core/identify.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool sameFile(const fs::path& a, const std::string& b)
{
    std::error_code error;
    return !b.empty() && fs::equivalent(a, pathFromUtf8(b), error) && !error;
}

} // namespace

OutputRefusal refuseOutput(const std::string& path, const std::string& input, const std::string& calFile)
{
    std::error_code error;
    const fs::path output = pathFromUtf8(path);
    const fs::file_status status = fs::symlink_status(output, error);
    if (!fs::exists(status))
        return OutputRefusal::None;
    if (fs::is_symlink(status))
        return OutputRefusal::IsSymbolicLink;
    if (fs::is_directory(status))
        return OutputRefusal::IsDirectory;
    if (!fs::is_regular_file(status))
        return OutputRefusal::NotRegularFile;
    if (sameFile(output, input))
        return OutputRefusal::IsInput;
    if (sameFile(output, calFile))
        return OutputRefusal::IsCalibration;
    // A recording saved under an output's name: outputs never identify so.
    if (identifiesAsDataFile(path.c_str()))
        return OutputRefusal::IsDataFile;
    return OutputRefusal::None;
}
