#include "driver/data_files.h"

#include "core/file_path.h"
#include "core/regular_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

bool isDataFileName(const std::filesystem::path& path)
{
    std::string extension = utf8FromPath(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".ASC" || extension == ".BIN";
}

// A folder that cannot be read stands for the files it was found to hold.
std::vector<std::string> dataFilesUnder(const std::string& folder)
{
    std::vector<std::string> found;
    std::error_code error;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (auto entry = std::filesystem::recursive_directory_iterator(pathFromUtf8(folder), options, error);
         !error && entry != std::filesystem::recursive_directory_iterator(); entry.increment(error))
        if (entry->is_regular_file(error) && isDataFileName(entry->path()))
            found.push_back(utf8FromPath(entry->path()));
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

std::vector<std::string> dataFilesOf(const std::vector<std::string>& paths)
{
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        if (fileKind(path) != FileKind::Folder) {
            files.push_back(path);
            continue;
        }
        const std::vector<std::string> under = dataFilesUnder(path);
        files.insert(files.end(), under.begin(), under.end());
    }
    return files;
}
