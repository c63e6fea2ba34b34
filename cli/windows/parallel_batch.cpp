#include "cli/parallel_batch.h"

#include <algorithm>

// Without fork a child cannot take over the calibration table this process
// loaded, so on Windows the files are converted here, one after the other,
// whatever the number of jobs; the logs come in the same order either way.
FileOutcome runInChildProcesses(const std::vector<BatchFile>& files, int, const FileSteps& steps, std::FILE*,
                                std::FILE*)
{
    FileOutcome worst = FileOutcome::Converted;
    for (const BatchFile& file : files) {
        const std::optional<FileOutcome> prepared = steps.prepare(file.path);
        worst = std::max(worst, prepared ? *prepared : steps.convert(file.path));
    }
    return worst;
}
