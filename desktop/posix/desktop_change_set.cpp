#include "desktop/posix/desktop_change_set.h"

#include "desktop/posix/desktop_fd.h"
#include "desktop/desktop_file_types.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace desktop {

namespace {

// As many links in a row as the system itself follows.
constexpr int MaxLinkDepth = 40;

DesktopRegistrationError fileError(const std::string& what, const fs::path& path, int error)
{
    return DesktopRegistrationError("cannot " + what + " " + path.string() + ": " + std::strerror(error));
}

// A fresh name beside the file; O_EXCL keeps two writers from sharing it.
UniqueFd createTemporaryBeside(const fs::path& file, fs::path& temporary)
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        temporary = file.parent_path() / ("." + file.filename().string() + "." + std::to_string(getpid()) + "." +
                                          std::to_string(counter++) + ".tmp");
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return UniqueFd(fd);
        if (errno != EEXIST)
            throw fileError("write", file, errno);
    }
}

void writeAll(int fd, const std::string& content, const fs::path& file)
{
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw fileError("write", file, errno);
        done += static_cast<size_t>(n);
    }
}

} // namespace

std::optional<std::string> readFileIfPresent(const fs::path& file)
{
    std::error_code error;
    fs::file_status status = fs::status(file, error);
    if (!fs::exists(status))
        return std::nullopt;
    if (fs::is_directory(status))
        throw DesktopRegistrationError("cannot read " + file.string() + ": it is a folder, not a file");
    std::ifstream in(file, std::ios::binary);
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in.is_open() || in.bad())
        throw DesktopRegistrationError("cannot read " + file.string());
    return content;
}

fs::path linkTarget(const fs::path& file)
{
    fs::path target = file;
    for (int depth = 0; depth < MaxLinkDepth; ++depth) {
        std::error_code error;
        if (!fs::is_symlink(target, error))
            return target;
        fs::path next = fs::read_symlink(target, error);
        if (error)
            throw fileError("follow the link", target, error.value());
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    throw fileError("follow the link", file, ELOOP);
}

std::optional<mode_t> fileMode(const fs::path& file)
{
    struct stat status;
    if (::stat(file.c_str(), &status) != 0)
        return std::nullopt;
    return status.st_mode & 07777;
}

void writeFileAtomically(const fs::path& file, const std::string& content, std::optional<mode_t> mode)
{
    fs::path temporary;
    UniqueFd fd = createTemporaryBeside(file, temporary);
    try {
        if (mode && ::fchmod(fd.get(), *mode) != 0)
            throw fileError("write", file, errno);
        writeAll(fd.get(), content, file);
        if (::fsync(fd.get()) != 0 || !fd.close())
            throw fileError("write", file, errno);
        if (::rename(temporary.c_str(), file.c_str()) != 0)
            throw fileError("replace", file, errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
}

DesktopChangeSet::~DesktopChangeSet()
{
    if (!committed_)
        rollBack();
}

void DesktopChangeSet::makeFolder(const fs::path& folder)
{
    std::vector<fs::path> missing;
    std::error_code error;
    for (fs::path p = folder; !p.empty() && !fs::exists(p, error); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path())
            break;
    }
    std::reverse(missing.begin(), missing.end());
    for (const fs::path& p : missing) {
        if (::mkdir(p.c_str(), 0777) != 0)
            throw fileError("create the folder", p, errno);
        createdFolders_.push_back(p);
    }
}

void DesktopChangeSet::markGenerated(const fs::path& folder)
{
    generatedFolders_.push_back(folder);
}

void DesktopChangeSet::writeFile(const fs::path& file, const std::string& content)
{
    // A linked file (a managed dot-file, say) is changed where it lives, and
    // the link is kept; a dangling link gets its target written.
    fs::path target = linkTarget(file);
    ReplacedFile record{target, readFileIfPresent(target), fileMode(target)};
    writeFileAtomically(target, content, record.previousMode);
    replaced_.push_back(std::move(record));
}

void DesktopChangeSet::removeFile(const fs::path& file)
{
    ReplacedFile record{file, readFileIfPresent(file), fileMode(file)};
    if (!record.previousContent)
        return;
    if (::unlink(file.c_str()) != 0)
        throw fileError("remove", file, errno);
    replaced_.push_back(std::move(record));
}

bool DesktopChangeSet::isGenerated(const fs::path& folder) const
{
    return std::find(generatedFolders_.begin(), generatedFolders_.end(), folder) != generatedFolders_.end();
}

void DesktopChangeSet::rollBack() noexcept
{
    for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it) {
        try {
            if (it->previousContent)
                writeFileAtomically(it->file, *it->previousContent, it->previousMode);
            else
                ::unlink(it->file.c_str());
        } catch (const std::exception&) {
            // Nothing better to do: the failure that caused the roll-back is reported.
        }
    }
    replaced_.clear();
    for (auto it = createdFolders_.rbegin(); it != createdFolders_.rend(); ++it) {
        std::error_code ignored;
        if (isGenerated(*it))
            fs::remove_all(*it, ignored);
        else
            fs::remove(*it, ignored); // only when empty
    }
    createdFolders_.clear();
    committed_ = true;
}

} // namespace desktop
