#include "test_files.h"

#include "core/temporary_file.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

MemoryStream::MemoryStream(std::string bytes) : bytes_(std::move(bytes))
{
    // A scratch file rather than fmemopen, which not every C library has.
    file_.reset(openTemporaryFile());
    if (!file_ || std::fwrite(bytes_.data(), 1, bytes_.size(), file_.get()) != bytes_.size() ||
        std::fseek(file_.get(), 0, SEEK_SET) != 0)
        throw std::runtime_error("cannot make a stream over the bytes");
}

std::string MemoryStream::rest() const
{
    std::string rest;
    for (int c = std::getc(file_.get()); c != EOF; c = std::getc(file_.get()))
        rest.push_back(static_cast<char>(c));
    return rest;
}
