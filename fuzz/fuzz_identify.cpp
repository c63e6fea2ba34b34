// identifyDataFile on arbitrary file contents.

#include "core/identify.h"
#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One scratch file per fuzzing process, removed when it ends.
class ScratchFile {
public:
    ScratchFile()
    {
        const char* dir = std::getenv("TMPDIR");
        path_ = std::string(dir != nullptr ? dir : "/tmp") + "/orvantis-fuzz-XXXXXX";
        const int fd = mkstemp(path_.data());
        if (fd < 0)
            std::abort();
        close(fd);
    }
    ~ScratchFile() { std::remove(path_.c_str()); }

    void write(const uint8_t* data, std::size_t size) const
    {
        FileHandle file(std::fopen(path_.c_str(), "wb"));
        if (!file || std::fwrite(data, 1, size, file.get()) != size)
            std::abort();
    }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static const ScratchFile scratch;
    silenceLog();
    scratch.write(data, size);
    identifyDataFile(scratch.path());
    return 0;
}
