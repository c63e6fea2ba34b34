// identifyDataFile on arbitrary file contents.

#include "core/identify.h"
#include "conversion/default_context.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const ScratchFolder folder;
    silenceLog();
    identifyDataFile(folder.write("data.asc", data, size).c_str());
    return 0;
}
