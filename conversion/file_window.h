#pragma once
// Reads a stream's file by absolute position through one block-sized window,
// so that walking forward through the file costs one system read per block
// and the memory held stays the block, however long the file is.

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "core/page_buffer.h"

// A position in a file, 64 bits wide on every system.
using FileOffset = std::int64_t;

class FileWindow {
public:
    static constexpr std::size_t BLOCK = 1 << 20;

    // Flushes the stream first: what it still buffers belongs to the file.
    explicit FileWindow(std::FILE* stream);

    FileOffset size() const { return size_; }

    // The `count` (at most BLOCK) bytes at `position`, or null when they are
    // not all inside the file. Valid until the next call.
    const unsigned char* at(FileOffset position, std::size_t count);

    // How many of the `count` bytes at `position` lie inside the file.
    std::size_t available(FileOffset position, std::size_t count) const;

private:
    bool load(FileOffset position);

    int descriptor_;
    FileOffset size_ = 0;
    FileOffset start_ = 0;
    std::size_t length_ = 0;
    PageBuffer block_;
};

// The size of the file behind the descriptor, or -1.
FileOffset descriptorFileSize(int descriptor);
// Reads up to `count` bytes at `position` without using the descriptor's
// own position; the count read, 0 at the end, or -1.
std::int64_t readAtPosition(int descriptor, unsigned char* into, std::size_t count, FileOffset position);
