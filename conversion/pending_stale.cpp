#include "conversion/pending_stale.h"

#include "conversion/output_name.h"
#include "conversion/pending_file.h"
#include "conversion/pending_name.h"
#include "core/file_path.h"

#include <filesystem>

void removeStaleTemporaries(const std::string& finalPath)
{
    const std::string folder = finalPath.substr(0, fileNameStart(finalPath));
    const TemporaryNamePattern pattern(finalPath);
    // Best effort: a folder that cannot be listed keeps what it holds, and
    // creating the new temporary then reports what is wrong with it.
    std::error_code error;
    for (std::filesystem::directory_iterator entry(pathFromUtf8(folder.empty() ? "." : folder), error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = utf8FromPath(entry->path().filename());
        if (pattern.matches(name))
            removeIfUnheld(folder + name);
    }
}
