#include "conversion/file_window.h"

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

FileWindow::FileWindow(std::FILE* stream) : descriptor_(fileno(stream)), block_(new unsigned char[BLOCK])
{
    std::fflush(stream);
    struct stat status {};
    if (fstat(descriptor_, &status) == 0)
        size_ = static_cast<long>(status.st_size);
}

std::size_t FileWindow::available(long position, std::size_t count) const
{
    if (position < 0 || position >= size_)
        return 0;
    return static_cast<std::size_t>(std::min<long>(static_cast<long>(count), size_ - position));
}

const unsigned char* FileWindow::at(long position, std::size_t count)
{
    if (available(position, count) != count)
        return nullptr;
    const bool inside =
        position >= start_ && position - start_ + static_cast<long>(count) <= static_cast<long>(length_);
    if (!inside && !load(position))
        return nullptr;
    if (static_cast<std::size_t>(position - start_) + count > length_)
        return nullptr;
    return block_.get() + (position - start_);
}

bool FileWindow::load(long position)
{
    start_ = position;
    length_ = 0;
    const std::size_t wanted = available(position, BLOCK);
    while (length_ < wanted) {
        const ssize_t got = pread(descriptor_, block_.get() + length_, wanted - length_,
                                  static_cast<off_t>(position + static_cast<long>(length_)));
        if (got <= 0)
            return false;
        length_ += static_cast<std::size_t>(got);
    }
    return true;
}
