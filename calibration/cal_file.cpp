#include "calibration/cal_file.h"

#include "calibration/cal_text.h"
#include "core/log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string noText;

[[noreturn]] void failOpen(const std::string& fileName, const std::string& reason)
{
    throw CalFileOpenError("Cannot open calibration file \"" + fileName + "\": " + reason);
}

// A real calibration file is a few hundred kilobytes at most; anything far
// larger was chosen by mistake and is not read into memory.
constexpr std::size_t MAX_CAL_FILE_SIZE = 64u << 20;

// How long a writer's exclusive hold is waited out before giving up.
constexpr int LOCK_ATTEMPTS = 20;
constexpr useconds_t LOCK_RETRY_MICROSECONDS = 50000;

// Takes a shared hold: any number of readers share it, and it keeps a
// cooperating writer (one that takes an exclusive hold) from changing the
// file while it is being read.
void holdShared(int fd, const std::string& fileName)
{
    for (int attempt = 0; flock(fd, LOCK_SH | LOCK_NB) != 0; ++attempt) {
        const int error = errno;
        if (error != EWOULDBLOCK)
            failOpen(fileName, std::strerror(error));
        if (attempt == LOCK_ATTEMPTS)
            failOpen(fileName, "locked by another program");
        usleep(LOCK_RETRY_MICROSECONDS);
    }
}

// Read-only is enough: the reader never writes, and a write-protected
// calibration file must still load. Only a regular file is read: a FIFO
// would wait for a writer and a device could give data without end. The
// open does not wait for a FIFO's writer.
FileHandle openShared(const std::string& fileName)
{
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        failOpen(fileName, std::strerror(errno));
    FileHandle file(fdopen(fd, "rb"));
    if (!file) {
        const int error = errno;
        ::close(fd);
        failOpen(fileName, std::strerror(error));
    }
    struct stat info {};
    if (fstat(fd, &info) != 0)
        failOpen(fileName, std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        failOpen(fileName, "not a regular file");
    if (static_cast<uint64_t>(info.st_size) > MAX_CAL_FILE_SIZE)
        failOpen(fileName, "larger than 64 MiB, too large for a calibration file");
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    holdShared(fd, fileName);
    return file;
}

// Reads to the end, refusing a file that grows past the size limit.
std::string readAll(std::FILE* file, const std::string& fileName)
{
    std::string text;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
        if (text.size() > MAX_CAL_FILE_SIZE)
            failOpen(fileName, "larger than 64 MiB, too large for a calibration file");
    }
    if (std::ferror(file))
        failOpen(fileName, std::strerror(errno));
    return text;
}

bool isHeader(const std::string& line)
{
    return !line.empty() && line[0] == '[' && line.find(']') != std::string::npos;
}

} // namespace

TCalFile::TCalFile(const std::string& fileName)
    : file_(openShared(fileName)), Lines(splitLines(readAll(file_.get(), fileName)))
{
    indexSections();
}

TCalFile::~TCalFile() = default;

void TCalFile::indexSections()
{
    for (int32_t i = 0; i < static_cast<int32_t>(Lines.size()); ++i) {
        const std::string& line = Lines[static_cast<std::size_t>(i)];
        if (line.empty())
            continue;
        if (isHeader(line))
            Sections.push_back({line.substr(1, line.find(']') - 1), THeadData(i, i)});
        else if (!Sections.empty())
            Sections.back().head.LastLine = i;
    }
    // Stable, so that of two like-named sections the first in the file is found.
    std::stable_sort(Sections.begin(), Sections.end(),
                     [](const Section& a, const Section& b) { return lessIgnoringCase(a.name, b.name); });
}

const TCalFile::Section* TCalFile::find(const std::string& name) const
{
    const auto it =
        std::lower_bound(Sections.begin(), Sections.end(), name,
                         [](const Section& s, const std::string& n) { return lessIgnoringCase(s.name, n); });
    if (it == Sections.end() || lessIgnoringCase(name, it->name))
        return nullptr;
    return &*it;
}

bool TCalFile::HasSection(const std::string& name) const
{
    return find(name) != nullptr;
}

int32_t TCalFile::SectionLineCount(const std::string& name) const
{
    const Section* section = find(name);
    return section ? section->head.LastLine - section->head.FirstLine : 0;
}

const std::string& TCalFile::SectionLine(const std::string& name, int32_t n) const
{
    const Section* section = find(name);
    if (!section) {
        logMessage("Warning: Can not find cal file section [%s].\n", name.c_str());
        return noText;
    }
    // A negative position would reach the header or lines before it; it is
    // refused like a position past the end.
    const int64_t line = int64_t{section->head.FirstLine} + n + 1;
    if (n < 0 || line > section->head.LastLine) {
        logMessage("Warning: Attempting to read beyond end of cal file section\n");
        return noText;
    }
    if (Lines[static_cast<std::size_t>(line)].empty()) {
        logMessage("Warning: Skipping blank line in cal file\n");
        return noText;
    }
    return Lines[static_cast<std::size_t>(line)];
}
