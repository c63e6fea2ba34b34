#include "calibration/cal_file.h"

#include "calibration/cal_text.h"
#include "core/log.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/file.h>

namespace {

const std::string noText;

[[noreturn]] void failOpen(const std::string& fileName, const std::string& reason)
{
    throw CalFileOpenError("Cannot open calibration file \"" + fileName + "\": " + reason);
}

// Read-only is enough: the reader never writes, and a write-protected
// calibration file must still load.
FileHandle openLocked(const std::string& fileName)
{
    FileHandle file(std::fopen(fileName.c_str(), "rbe"));
    if (!file)
        failOpen(fileName, std::strerror(errno));
    // The exclusive hold keeps another reader (or a cooperating writer) off
    // the file while it is being read.
    if (flock(fileno(file.get()), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            failOpen(fileName, std::string("locked by another reader (") + std::strerror(error) + ")");
        failOpen(fileName, std::strerror(error));
    }
    return file;
}

std::string readAll(std::FILE* file, const std::string& fileName)
{
    std::string text;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
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
    : file_(openLocked(fileName)), Lines(splitLines(readAll(file_.get(), fileName)))
{
    indexSections();
}

TCalFile::~TCalFile() = default;

void TCalFile::indexSections()
{
    for (int32_t i = 0; i < static_cast<int32_t>(Lines.size()); ++i) {
        const std::string& line = Lines[i];
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
    const auto it = std::lower_bound(Sections.begin(), Sections.end(), name,
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
    if (Lines[line].empty()) {
        logMessage("Warning: Skipping blank line in cal file\n");
        return noText;
    }
    return Lines[line];
}
