#pragma once
// Reads a stream's file by absolute position through one block-sized window,
// so that walking forward through the file costs one system read per block
// and the memory held stays the block, however long the file is.

#include <cstddef>
#include <cstdio>
#include <memory>

class FileWindow {
public:
    static constexpr std::size_t BLOCK = 1 << 20;

    // Flushes the stream first: what it still buffers belongs to the file.
    explicit FileWindow(std::FILE* stream);

    long size() const { return size_; }

    // The `count` (at most BLOCK) bytes at `position`, or null when they are
    // not all inside the file. Valid until the next call.
    const unsigned char* at(long position, std::size_t count);

    // How many of the `count` bytes at `position` lie inside the file.
    std::size_t available(long position, std::size_t count) const;

private:
    bool load(long position);

    int descriptor_;
    long size_ = 0;
    long start_ = 0;
    std::size_t length_ = 0;
    std::unique_ptr<unsigned char[]> block_;
};
