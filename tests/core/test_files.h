#pragma once
// Helpers of the core tests: plain values of packed fields and streams over
// bytes in memory.

#include "core/file_handle.h"

#include <string>

// A field of a packed record as a plain value: assertions take their
// arguments by reference, which a packed field cannot give.
template <typename T>
T valueOf(T field)
{
    return field;
}

// A stream over a copy of the bytes (NUL bytes included), at their start.
class MemoryStream {
public:
    explicit MemoryStream(std::string bytes);
    std::FILE* get() const { return file_.get(); }
    // Everything not read yet; reads it.
    std::string rest() const;

private:
    std::string bytes_;
    FileHandle file_;
};
