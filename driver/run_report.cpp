#include "driver/run_report.h"

#include <cstdio>

namespace {

// Files listed by name at most; the rest are counted.
constexpr std::size_t MaxListed = 20;

std::string counted(std::size_t count, const char* one, const char* many)
{
    return withThousands(static_cast<long long>(count)) + " " + (count == 1 ? one : many);
}

// A warning went on with the file; whatever stopped it later says more.
bool isWarning(const std::string& line)
{
    return line.starts_with("WARNING: ") || line.find(": WARNING: ") != std::string::npos;
}

} // namespace

std::string withThousands(long long number)
{
    std::string digits = std::to_string(number < 0 ? -number : number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return number < 0 ? "-" + digits : digits;
}

void RunReport::error(std::size_t file, const std::string& line)
{
    files_[file].messages.push_back(line);
    std::string& reason = files_[file].reason;
    if (reason.empty() || (isWarning(reason) && !isWarning(line)))
        reason = line;
}

void RunReport::warning(std::size_t file, const std::string& line)
{
    files_[file].messages.push_back(line);
    if (files_[file].warning.empty())
        files_[file].warning = line;
}

void RunReport::unreadable(const std::string& path, const std::string& line)
{
    paths_.push_back(path);
    files_.push_back({FileOutcome::NotConverted, false, 0, line, {}, {line}});
}

RunReport::Counts RunReport::counts() const
{
    Counts counts;
    for (const File& file : files_) {
        if (!file.outcome)
            continue;
        if (*file.outcome == FileOutcome::Converted)
            ++counts.converted;
        else if (file.skipped)
            ++counts.skipped;
        else
            ++counts.failed;
    }
    return counts;
}

std::string RunReport::inWords() const
{
    const Counts c = counts();
    std::string words = counted(c.converted, "file", "files") + " converted";
    if (c.failed > 0)
        words += ", " + withThousands(static_cast<long long>(c.failed)) + " failed";
    if (c.skipped > 0)
        words += ", " + withThousands(static_cast<long long>(c.skipped)) + " skipped";
    return words;
}

std::string RunReport::listing(std::size_t index) const
{
    const File& file = files_[index];
    if (!file.outcome)
        return {};
    if (*file.outcome == FileOutcome::Converted)
        return file.warning.empty() ? std::string() : "warning: " + file.warning;
    return (file.skipped ? "skipped: " : "failed: ") +
           (file.reason.empty() ? paths_[index] + ": not converted" : file.reason);
}

std::string RunReport::summary(double seconds) const
{
    const Counts c = counts();
    long long spectra = 0;
    std::string listed;
    std::size_t listedCount = 0;
    std::size_t unlisted = 0;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        spectra += files_[i].spectra;
        const std::string line = listing(i);
        if (line.empty())
            continue;
        if (listedCount == MaxListed) {
            ++unlisted;
            continue;
        }
        ++listedCount;
        listed += "  " + line + "\n";
    }
    char time[32];
    std::snprintf(time, sizeof time, "%.1f", seconds);
    std::string text = "orvantis-cli: " + counted(files_.size(), "file", "files") + ": " +
                       withThousands(static_cast<long long>(c.converted)) + " converted, " +
                       withThousands(static_cast<long long>(c.failed)) + " failed, " +
                       withThousands(static_cast<long long>(c.skipped)) + " skipped; " +
                       counted(static_cast<std::size_t>(spectra), "spectrum", "spectra") + " written in " + time +
                       " s\n";
    text += listed;
    if (unlisted > 0)
        text += "  and " + counted(unlisted, "more file", "more files") + "\n";
    return text;
}
