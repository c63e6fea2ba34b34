#include "conversion/output_buffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

void OutputBuffer::put(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t part = std::min(text.size(), CAPACITY);
        std::memcpy(room(part), text.data(), part);
        used_ += part;
        text.remove_prefix(part);
    }
}

bool OutputBuffer::flush()
{
    if (used_ > 0 && !failed_ && (!stream_ || std::fwrite(data_, 1, used_, stream_) != used_)) {
        failed_ = true;
        error_ = stream_ && errno != 0 ? errno : EIO;
    }
    used_ = 0;
    if (failed_)
        errno = error_;
    return !failed_;
}
