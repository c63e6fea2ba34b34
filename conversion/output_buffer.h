#pragma once
// Text output gathered in a fixed block and handed to its stream in large
// writes, with the numbers converted in place (core/number_format.h). A
// failed write is remembered; what is held is written out when the buffer
// goes, so that early returns still leave every finished cell in the file.
//
// A buffer without a stream only gathers text for its owner to take with
// text() and clear(). It holds CAPACITY characters, which any one text row
// fits; whatever would not fit is dropped and counts as a failed write.

#include "core/number_format.h"

#include <cstddef>
#include <cstdio>
#include <string_view>

class OutputBuffer {
public:
    static constexpr std::size_t CAPACITY = 64 * 1024;

    explicit OutputBuffer(std::FILE* stream) : stream_(stream) {}
    ~OutputBuffer() { flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    void put(char c)
    {
        *room(1) = c;
        ++used_;
    }
    void put(std::string_view text);
    void putGeneral(double value, int precision) { commit(formatGeneral(room(MAX_NUMBER_TEXT), value, precision)); }
    void putFixed(double value, int precision) { commit(formatFixed(room(MAX_NUMBER_TEXT), value, precision)); }
    void putInteger(long value) { commit(formatInteger(room(MAX_NUMBER_TEXT), value)); }
    void endLine() { put(std::string_view("\r\n")); }

    // Writes out what is held; false once any write to the stream has
    // failed, with errno set to the reason of the first failure.
    bool flush();
    // Whether a write to the stream has failed so far, without writing.
    bool failed() const { return failed_; }
    // The system's reason for the first failed write; 0 while none failed.
    int error() const { return error_; }

    // What is held, not yet written.
    std::string_view text() const { return {data_, used_}; }
    void clear() { used_ = 0; }

private:
    // Space for `count` (at most CAPACITY) more characters at the end.
    char* room(std::size_t count)
    {
        if (CAPACITY - used_ < count)
            flush();
        return data_ + used_;
    }
    void commit(const char* end) { used_ = static_cast<std::size_t>(end - data_); }

    std::FILE* stream_;
    std::size_t used_ = 0;
    bool failed_ = false;
    int error_ = 0;
    char data_[CAPACITY];
};
