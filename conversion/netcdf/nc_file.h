#pragma once
// An open NetCDF file, closed when it goes, and the failure of a library
// call as an exception carrying the library's text and the system's reason.

#include "conversion/dataset_sink.h"

#include <cstddef>
#include <stdexcept>
#include <string>

class NcError : public std::runtime_error {
public:
    NcError(const std::string& text, int systemError) : std::runtime_error(text), systemError_(systemError) {}
    int systemError() const { return systemError_; }

private:
    int systemError_;
};

// Throws NcError when status is not NC_NOERR; `what` names the step.
void ncCheck(int status, const char* what);

// A NetCDF-4 file of the classic model, written through the library.
class NcFile final : public DatasetSink {
public:
    // Creates the file at path, replacing what is there.
    explicit NcFile(const std::string& path);
    ~NcFile() override;
    NcFile(const NcFile&) = delete;
    NcFile& operator=(const NcFile&) = delete;

    int defineDimension(const std::string& name, std::size_t length) override;
    int defineVariable(const std::string& name, ValueType type, const std::vector<int>& dimensions) override;
    void putAttribute(int variable, const std::string& name, const AttributeValue& value) override;
    void storeInChunks(int variable, const std::vector<std::size_t>& chunk, std::size_t cacheBytes) override;
    void beginDefinitions() override;
    void endDefinitions() override;
    void write(int variable, std::size_t firstRow, std::size_t rows, const short* values) override;
    void write(int variable, std::size_t firstRow, std::size_t rows, const float* values) override;
    void write(int variable, std::size_t firstRow, std::size_t rows, const double* values) override;
    // Writes out what the library holds; throws NcError.
    void close() override;

private:
    // The start and count of rows of the variable, whole along its other dimensions.
    struct Extent {
        std::size_t start[2] = {};
        std::size_t count[2] = {};
    };
    Extent extent(int variable, std::size_t firstRow, std::size_t rows) const;
    const char* nameOf(int variable) const;

    int id_ = -1;
    std::vector<std::size_t> dimensionLengths_;
    std::vector<std::vector<int>> variableDimensions_;
    std::vector<std::string> variableNames_; // naming a failed write
};

// Attributes of a variable, or of the dataset with DatasetSink::GLOBAL.
void putTextAttribute(DatasetSink& file, int variable, const char* name, const std::string& text);
void putIntAttribute(DatasetSink& file, int variable, const char* name, int value);
void putDoublesAttribute(DatasetSink& file, int variable, const char* name, const double* values, int count);
