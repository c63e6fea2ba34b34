#pragma once
// What the fuzz targets share: a silent log and streams over the input.

#include "core/file_handle.h"
#include "core/log.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Debug text on, every message formatted and dropped, no error boxes.
// A Log that reads every text it is given and keeps nothing, verbose.
Log silentLog();
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

// Reads the fuzz bytes one by one; zeros once they run out.
class ByteSource {
public:
    ByteSource(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return next_ == size_; }
    unsigned take() { return next_ < size_ ? data_[next_++] : 0u; }

private:
    const uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

// A private folder per fuzzing process (below TMPDIR), removed with its files
// when the process ends.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes the bytes to the named file of the folder; returns its path.
    std::string write(const std::string& name, const uint8_t* data, std::size_t size) const;

private:
    std::string path_;
};
