#include "conversion/pending_stale.h"

#include "conversion/output_name.h"
#include "conversion/pending_file.h"
#include "conversion/pending_name.h"
#include "core/file_path.h"

#include <filesystem>

void StaleTemporaries::remove(const std::string& finalPath)
{
    const std::string folder = finalPath.substr(0, fileNameStart(finalPath));
    const TemporaryNamePattern pattern(finalPath);
    const std::lock_guard lock(mutex_);
    const std::set<std::string>& candidates = candidatesIn(folder);
    for (auto name = candidates.lower_bound(pattern.prefix());
         name != candidates.end() && name->starts_with(pattern.prefix()); ++name)
        if (pattern.matches(*name))
            removeIfUnheld(folder + *name);
}

const std::set<std::string>& StaleTemporaries::candidatesIn(const std::string& folder)
{
    const auto [listed, isNew] = folders_.try_emplace(folder);
    if (!isNew)
        return listed->second;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(pathFromUtf8(folder.empty() ? "." : folder), error), end;
         !error && entry != end; entry.increment(error)) {
        const std::string name = utf8FromPath(entry->path().filename());
        if (TemporaryNamePattern::mayBeOne(name))
            listed->second.insert(name);
    }
    return listed->second;
}
