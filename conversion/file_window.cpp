#include "conversion/file_window.h"

#include <algorithm>

FileWindow::FileWindow(std::FILE* stream) : descriptor_(fileno(stream)), block_(pageBuffer(BLOCK))
{
    std::fflush(stream);
    size_ = std::max<FileOffset>(descriptorFileSize(descriptor_), 0);
}

std::size_t FileWindow::available(FileOffset position, std::size_t count) const
{
    if (position < 0 || position >= size_)
        return 0;
    return static_cast<std::size_t>(std::min<FileOffset>(static_cast<FileOffset>(count), size_ - position));
}

const unsigned char* FileWindow::at(FileOffset position, std::size_t count)
{
    if (available(position, count) != count)
        return nullptr;
    const bool inside =
        position >= start_ && position - start_ + static_cast<FileOffset>(count) <= static_cast<FileOffset>(length_);
    if (!inside && !load(position))
        return nullptr;
    if (static_cast<std::size_t>(position - start_) + count > length_)
        return nullptr;
    return bufferBytes(block_) + (position - start_);
}

bool FileWindow::load(FileOffset position)
{
    start_ = position;
    length_ = 0;
    const std::size_t wanted = available(position, BLOCK);
    while (length_ < wanted) {
        const std::int64_t got = readAtPosition(descriptor_, bufferBytes(block_) + length_, wanted - length_,
                                                position + static_cast<FileOffset>(length_));
        if (got <= 0)
            return false;
        length_ += static_cast<std::size_t>(got);
    }
    return true;
}
