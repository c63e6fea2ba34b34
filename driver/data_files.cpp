#include "driver/data_files.h"

#include "core/file_path.h"
#include "core/regular_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

bool isDataFileName(const fs::path& path)
{
    std::string extension = utf8FromPath(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension == ".ASC" || extension == ".BIN";
}

bool isNotFound(const std::error_code& error)
{
    return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

// The data files under one folder named on the command line.
class FolderListing {
public:
    explicit FolderListing(DataFileList& list) : list_(list) {}

    void add(const fs::path& top)
    {
        const std::size_t first = list_.files.size();
        addFolder(top);
        std::sort(list_.files.begin() + static_cast<std::ptrdiff_t>(first), list_.files.end());
    }

private:
    // The folder is read to its end before its subfolders are entered, so
    // that one descriptor is open at a time however deep the folders go.
    void addFolder(const fs::path& folder)
    {
        std::vector<fs::path> subfolders;
        std::error_code error;
        for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error))
            addEntry(*entry, subfolders);
        if (error)
            fail(folder, "the folder cannot be read: " + error.message() + "; the data files in it are not converted");
        for (const fs::path& subfolder : subfolders)
            addFolder(subfolder);
    }

    // A link to a folder is not followed, as it may lead back up; a data
    // file that cannot be looked at is listed, and its conversion says why.
    void addEntry(const fs::directory_entry& entry, std::vector<fs::path>& subfolders)
    {
        std::error_code error;
        const fs::file_type type = entry.symlink_status(error).type();
        if (error && !isNotFound(error))
            fail(entry.path(), "cannot be looked at: " + error.message() + "; any data files under it are not converted");
        else if (type == fs::file_type::directory)
            subfolders.push_back(entry.path());
        else if (isDataFileName(entry.path()) && (entry.is_regular_file(error) || (error && !isNotFound(error))))
            list_.files.push_back(utf8FromPath(entry.path()));
    }

    void fail(const fs::path& path, const std::string& why)
    {
        const std::string name = utf8FromPath(path);
        list_.failures.push_back({name, name + ": " + why});
    }

    DataFileList& list_;
};

} // namespace

DataFileList dataFilesOf(const std::vector<std::string>& paths)
{
    DataFileList list;
    for (const std::string& path : paths) {
        if (fileKind(path) == FileKind::Folder)
            FolderListing(list).add(pathFromUtf8(path));
        else
            list.files.push_back(path);
    }
    return list;
}
