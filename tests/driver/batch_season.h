#pragma once
// A season in miniature for the batch's tests, converted one by one with
// the driver alone or on threads with the converter's steps, to compare.

#include "driver/parallel_batch.h"
#include "temp_dir.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// In a folder of its own: good text and binary files of both channels, a
// damaged one, one of another instrument without a calibration, a file that
// is no data, a missing one and one listed twice.
struct Season {
    TempDir dir;
    std::vector<std::string> paths;

    Season();
    // The texts with the folder's own name taken out, so two seasons compare.
    std::string portable(std::string text) const;
    // The outputs, whose headers name their files.
    std::map<std::string, std::string> outputs() const;
};

struct BatchRun {
    FileOutcome worst;
    std::string texts;
};

BatchRun oneByOne(const Season& season);
// The steps as the converter gives them, with this conversion step.
BatchRun onThreads(const Season& season, int jobs, const std::function<FileResult(const PreparedFile&)>& convert);
