#pragma once
// The outputs of one run, worked out before any file is converted, so that
// no file of the run writes over another's output or over one of its
// inputs: the first input to claim an output name keeps it, and a later
// other input is refused.

#include "conversion/conversion_options.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

class RunOutputs {
public:
    RunOutputs() = default;
    // The run's inputs, in the order they are converted.
    explicit RunOutputs(const std::vector<std::string>& inputs);

    // Claims the output that converting `input` with these options writes:
    // nothing when the input may go on, else why it is not converted. An
    // input that is not one of the run's own (added while it runs) is checked
    // against what the run has claimed so far.
    std::optional<std::string> claim(const std::string& input, int level, OutputForm form);

private:
    std::set<std::string> inputs_;              // the same-file keys of the run's inputs
    std::map<std::string, std::string> claims_; // an output's key, and the input that writes it
};
