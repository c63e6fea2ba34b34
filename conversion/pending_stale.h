#pragma once
// Temporaries that an ended run left behind (killed, or the machine stopped)
// are removed by the next conversion of the same output, so that they never
// pile up. A run lists each folder it writes to once, whatever the number
// of outputs it puts there: listing it for every output would cost a flat
// folder of n files n² names.

#include <map>
#include <mutex>
#include <set>
#include <string>

// The temporaries found in the output folders of one run; safe to use from
// the run's conversions at once.
class StaleTemporaries {
public:
    // Removes every temporary of finalPath that no running program holds:
    // only regular files named as temporaryNameBeside names them, nothing
    // else. The first output of a folder lists it; a folder that cannot be
    // listed keeps what it holds, and creating the new temporary then
    // reports what is wrong with it.
    void remove(const std::string& finalPath);

private:
    // The names in the folder that may be temporaries, found when it was listed.
    const std::set<std::string>& candidatesIn(const std::string& folder);

    std::mutex mutex_;
    std::map<std::string, std::set<std::string>> folders_;
};
