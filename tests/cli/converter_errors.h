#pragma once
// The converter's error texts split from the summary that ends every run.

#include <regex>
#include <string>

inline std::size_t summaryStart(const std::string& err)
{
    std::smatch found;
    if (!std::regex_search(err, found, std::regex("(^|\n)orvantis-cli: [0-9,]+ files?: ")))
        return std::string::npos;
    return static_cast<std::size_t>(found.position(0)) + found.length(1);
}

// What the converter said on stderr before its summary.
inline std::string errorsBeforeSummary(const std::string& err)
{
    return err.substr(0, summaryStart(err));
}

// The error texts with the summary's time taken, which differs from run to
// run, as "T".
inline std::string withoutTimeTaken(const std::string& err)
{
    return std::regex_replace(err, std::regex(" written in [0-9]+\\.[0-9] s\n"), " written in T s\n");
}

// The summary, without its time taken.
inline std::string summaryOf(const std::string& err)
{
    const std::size_t start = summaryStart(err);
    return start == std::string::npos ? "" : withoutTimeTaken(err.substr(start));
}
