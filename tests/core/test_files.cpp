#include "test_files.h"

#include <cstdio>
#include <stdexcept>
#include <utility>

MemoryStream::MemoryStream(std::string bytes) : bytes_(std::move(bytes))
{
    file_.reset(fmemopen(bytes_.data(), bytes_.size(), "rb"));
    if (!file_)
        throw std::runtime_error("fmemopen failed");
}

std::string MemoryStream::rest() const
{
    std::string rest;
    for (int c = std::getc(file_.get()); c != EOF; c = std::getc(file_.get()))
        rest.push_back(static_cast<char>(c));
    return rest;
}
