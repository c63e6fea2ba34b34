#include "fuzz_support.h"

#include "core/log.h"

#include <cstdlib>
#include <cstring>

namespace {

// Reads the whole text, so a text past its terminator would show.
void dropText(const char* text)
{
    volatile std::size_t length = std::strlen(text);
    (void)length;
}

} // namespace

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
