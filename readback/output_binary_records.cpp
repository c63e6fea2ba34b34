// Binary output: 48-byte little-endian records, each followed by its
// numPix little-endian floats, with nothing before, between or after.

#include "readback/output_source.h"
#include "core/file_path.h"
#include "core/pixel_count.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

namespace {

class BinaryRecords : public OutputSource {
public:
    explicit BinaryRecords(const std::string& path) : path_(path), stream_(pathFromUtf8(path), std::ios::binary)
    {
        if (!stream_)
            throw OutputReadError("Cannot open \"" + path + "\": " + std::strerror(errno));
    }

    bool next(OutputSpectrum& spectrum) override
    {
        unsigned char head[SPECTRUM_RECORD_SIZE];
        const std::size_t got = read(head, sizeof head);
        if (got == 0)
            return false;
        if (got < sizeof head)
            fail("the file ends inside a spectrum's record");
        spectrum.record = decodeRecord(head);
        if (!acceptablePixelCount(spectrum.record.numPix))
            fail("a spectrum declares " + std::to_string(spectrum.record.numPix) + " values");
        const std::size_t count = static_cast<std::size_t>(spectrum.record.numPix);
        bytes_.resize(count * sizeof(float));
        if (read(bytes_.data(), bytes_.size()) < bytes_.size())
            fail("the file ends inside a spectrum's values");
        spectrum.values.resize(count);
        decodeFloatsLE(bytes_.data(), count, spectrum.values.data());
        offset_ += static_cast<std::int64_t>(SPECTRUM_RECORD_SIZE + bytes_.size());
        return true;
    }

    std::int64_t position() const override { return offset_; }

    void seek(std::int64_t position) override
    {
        stream_.clear();
        stream_.seekg(position);
        if (!stream_)
            fail("cannot return to byte " + std::to_string(position));
        offset_ = position;
    }

private:
    std::size_t read(unsigned char* into, std::size_t count)
    {
        stream_.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(count));
        return static_cast<std::size_t>(stream_.gcount());
    }

    [[noreturn]] void fail(const std::string& what) const
    {
        throw OutputReadError(path_ + ", byte " + std::to_string(offset_) + ": " + what);
    }

    std::string path_;
    std::ifstream stream_;
    std::int64_t offset_ = 0;
    std::vector<unsigned char> bytes_;
};

} // namespace

std::unique_ptr<OutputSource> binaryRecords(const std::string& path)
{
    return std::make_unique<BinaryRecords>(path);
}
