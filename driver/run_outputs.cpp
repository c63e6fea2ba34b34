#include "driver/run_outputs.h"

#include "conversion/output_name.h"
#include "core/file_path.h"

RunOutputs::RunOutputs(const std::vector<std::string>& inputs)
{
    for (const std::string& input : inputs)
        inputs_.insert(sameFileKey(input));
}

std::optional<std::string> RunOutputs::claim(const std::string& input, int level, OutputForm form)
{
    const std::string output = outputFileName(input, level, form);
    const std::string outputKey = sameFileKey(output);
    const auto [claimed, isNew] = claims_.try_emplace(outputKey, input);
    if (!isNew) {
        // A file listed twice writes the same output again, as a run of it
        // alone would.
        if (sameFileKey(claimed->second) == sameFileKey(input))
            return std::nullopt;
        return claimed->second + " and " + input + " would both be written to " + output + "; " + input +
               " not converted";
    }
    if (inputs_.count(outputKey) != 0 && outputKey != sameFileKey(input)) {
        claims_.erase(claimed);
        return input + " would be written to " + output + ", which is an input of this run; " + input +
               " not converted";
    }
    return std::nullopt;
}
