#include "calibration/cal_file.h"

#include "calibration/cal_text.h"
#include "core/log.h"

#include "calibration/cal_file_open.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

const std::string noText;

// A real calibration file is a few hundred kilobytes at most; anything far
// larger was chosen by mistake and is not read into memory.
constexpr std::size_t MAX_CAL_FILE_SIZE = 64u << 20;

// Reads to the end, refusing a file that grows past the size limit.
std::string readAll(std::FILE* file, const std::string& fileName)
{
    std::string text;
    char chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        text.append(chunk, got);
        if (text.size() > MAX_CAL_FILE_SIZE)
            failCalFileOpen(fileName, calFileTooLargeText());
    }
    if (std::ferror(file))
        failCalFileOpen(fileName, std::strerror(errno));
    return text;
}

bool isHeader(const std::string& line)
{
    return !line.empty() && line[0] == '[' && line.find(']') != std::string::npos;
}

} // namespace

void failCalFileOpen(const std::string& fileName, const std::string& reason)
{
    throw CalFileOpenError("Cannot open calibration file \"" + fileName + "\": " + reason);
}

std::string calFileTooLargeText()
{
    return "larger than 64 MiB, too large for a calibration file";
}

TCalFile::TCalFile(const std::string& fileName, Log log)
    : log_(std::move(log)), file_(openCalFileShared(fileName, MAX_CAL_FILE_SIZE)),
      Lines(splitLines(readAll(file_.get(), fileName)))
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
        log_.message("Warning: Can not find cal file section [%s].\n", name.c_str());
        return noText;
    }
    // A negative position would reach the header or lines before it; it is
    // refused like a position past the end.
    const int64_t line = int64_t{section->head.FirstLine} + n + 1;
    if (n < 0 || line > section->head.LastLine) {
        log_.message("Warning: Attempting to read beyond end of cal file section\n");
        return noText;
    }
    if (Lines[static_cast<std::size_t>(line)].empty()) {
        log_.message("Warning: Skipping blank line in cal file\n");
        return noText;
    }
    return Lines[static_cast<std::size_t>(line)];
}
