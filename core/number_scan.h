#pragma once
// Number conversions that consume exactly the characters, and give exactly
// the values, of the C library's formatted input (glibc, LP64):
//   scanInteger  " %ld"  (also "%d": keep the low 32 bits of the result)
//   scanFloat    " %f"
//   matchChar    a literal character of a format, e.g. the ',' of "%f,"
// They read through a character source with one character of push-back, so
// no text is copied and nothing is allocated per number. On failure the
// characters the C scanner would have swallowed are swallowed here too.

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A C stream read with getc_unlocked. The character pushed back last is held
// here and returned to the stream when the source goes away, so a run of
// conversions costs one ungetc and leaves the stream where scanf would.
class StreamChars {
public:
    explicit StreamChars(std::FILE* stream) : stream_(stream) {}
    ~StreamChars()
    {
        if (holding_ && held_ != EOF)
            std::ungetc(held_, stream_);
    }
    StreamChars(const StreamChars&) = delete;
    StreamChars& operator=(const StreamChars&) = delete;

    int get()
    {
        if (!holding_)
            return getc_unlocked(stream_);
        holding_ = false;
        return held_;
    }
    // c must be the character get() returned last (EOF included).
    void unget(int c)
    {
        held_ = c;
        holding_ = true;
    }

    // The characters the stream has buffered, to be read in place: [begin,
    // end). Empty while a character is held here, and where the C library
    // does not show its buffer (the readers then go character by character).
    struct Buffered {
        const unsigned char* begin;
        const unsigned char* end;
    };
    Buffered buffered() const
    {
#if defined(__GLIBC__)
        const auto* begin = reinterpret_cast<const unsigned char*>(stream_->_IO_read_ptr);
        const auto* end = reinterpret_cast<const unsigned char*>(stream_->_IO_read_end);
        if (!holding_ && begin < end)
            return {begin, end};
#endif
        return {nullptr, nullptr};
    }
    // Consumes the first count characters of buffered().
    void consume(std::size_t count)
    {
#if defined(__GLIBC__)
        stream_->_IO_read_ptr += count;
#else
        (void)count;
#endif
    }

private:
    std::FILE* stream_;
    int held_ = EOF;
    bool holding_ = false;
};

// A NUL-terminated text read like sscanf reads it: the NUL is the end.
class StringChars {
public:
    explicit StringChars(const char* text) : next_(text) {}

    int get() { return *next_ != '\0' ? static_cast<unsigned char>(*next_++) : EOF; }
    void unget(int c)
    {
        if (c != EOF)
            --next_;
    }
    const char* position() const { return next_; }

private:
    const char* next_;
};

// " %ld": white space, an optional sign, decimal digits. A value beyond the
// 64-bit range saturates as strtol does. false when no digit follows.
template <class Chars>
bool scanInteger(Chars& in, int64_t& value);

// " %f": white space, then a decimal or hexadecimal real, "inf", "infinity"
// or "nan" (any case), rounded to float as strtof rounds. value is only
// written on success.
template <class Chars>
bool scanFloat(Chars& in, float& value);

// ",%f" count times into values: the pixel values of a data line. Returns
// how many were read; the stream stops where the failed conversion left it.
int scanCommaFloats(StreamChars& in, float* values, int count);

// A literal format character: consumed when it is next, else left in place.
template <class Chars>
bool matchChar(Chars& in, char expected);

// The integer fields keep the low bits of the value read.
inline int32_t low32(int64_t value)
{
    return static_cast<int32_t>(value);
}
inline int16_t low16(int64_t value)
{
    return static_cast<int16_t>(value);
}
