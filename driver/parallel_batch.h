#pragma once
// Converts data files several at a time, on threads of this process. The
// files are prepared one by one in their order on the calling thread
// (report, identify, load the calibration), then converted on a thread of
// their own with what preparing gave them; each file's log is printed whole,
// in the order of the files, so the printed result equals that of a
// one-by-one run. At most `jobs` conversions run at once (fewer when file
// descriptors are short or a thread cannot be made, down to one on the
// calling thread), and only a few files ahead of the one being printed are
// started, so the logs held back stay few; what they hold in memory is
// bounded in bytes (see file_log.h).

#include "driver/file_log.h"
#include "driver/conversion_driver.h"

#include <functional>
#include <string>
#include <variant>
#include <vector>

struct BatchSteps {
    // In file order, on the calling thread, with its texts going to `log`:
    // the final outcome of file number `file`, or the file ready to convert.
    std::function<std::variant<FileOutcome, PreparedFile>(std::size_t file, const std::string& path, FileLog& log)>
        prepare;
    // On a thread of its own.
    std::function<FileResult(const PreparedFile& file)> convert;
    // In file order, on the calling thread, once the file's log before it is
    // printed; its texts go to `log`.
    std::function<FileOutcome(std::size_t file, const PreparedFile& prepared, const FileResult& result, FileLog& log)>
        finish;
};

// Runs the steps for every file and prints the logs and error texts through
// print. Returns the worst outcome. A file that writes or reads a
// file another running conversion writes waits for it, so the later one wins
// as in a one-by-one run.
FileOutcome convertOnThreads(const std::vector<std::string>& paths, int jobs, const BatchSteps& steps,
                             const TextPrinter& print);
