#pragma once
// What the fuzz targets share: a silent log and streams over the input.

#include "core/file_handle.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Debug text on, every message formatted and dropped, no error boxes.
void silenceLog();

// A read-only stream over a copy of the input; the copy lives as long as the
// holder.
class InputStream {
public:
    InputStream(const uint8_t* data, std::size_t size);
    std::FILE* get() const { return file_.get(); }

private:
    std::vector<uint8_t> bytes_;
    FileHandle file_;
};
