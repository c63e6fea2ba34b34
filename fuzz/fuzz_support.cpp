#include "fuzz_support.h"

#include "conversion/default_context.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

// Reads the whole text, so a text past its terminator would show.
void dropText(const char* text)
{
    volatile std::size_t length = std::strlen(text);
    (void)length;
}

} // namespace

Log silentLog()
{
    Log log;
    log.sink = dropText;
    log.errorBox = dropText;
    log.verbose = true;
    return log;
}

void silenceLog()
{
    logSink = dropText;
    verboseLog = 1;
    setErrorBoxHook(dropText);
}

InputStream::InputStream(const uint8_t* data, std::size_t size) : bytes_(data, data + size)
{
    bytes_.push_back(0); // fmemopen wants a buffer even for no input
    file_.reset(fmemopen(bytes_.data(), size, "rb"));
    if (!file_)
        std::abort();
}

ScratchFolder::ScratchFolder()
{
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir != nullptr ? dir : "/tmp") + "/orvantis-fuzz-XXXXXX";
    if (mkdtemp(path_.data()) == nullptr)
        std::abort();
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::write(const std::string& name, const uint8_t* data, std::size_t size) const
{
    const std::string path = file(name);
    FileHandle out(std::fopen(path.c_str(), "wb"));
    if (!out || std::fwrite(data, 1, size, out.get()) != size)
        std::abort();
    return path;
}
