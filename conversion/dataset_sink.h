#pragma once
// What a NetCDF-shaped dataset is made of, and where the writer of one puts
// its definitions and values: a NetCDF file, or a dataset held in memory
// for a caller that wants the same variables without a file. Both get the
// same calls in the same order, so they cannot drift apart.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

enum class ValueType : unsigned char { Short, Int, Float, Double };

// A text, one 32-bit integer, one float or a list of doubles: what the
// writer puts as attributes.
using AttributeValue = std::variant<std::string, int32_t, float, std::vector<double>>;

class DatasetSink {
public:
    // The "variable" of the dataset's own attributes.
    static constexpr int GLOBAL = -1;
    // The length of the dimension that grows as rows are written.
    static constexpr std::size_t UNLIMITED = 0;

    virtual ~DatasetSink() = default;

    // Each returns the new dimension's or variable's number.
    virtual int defineDimension(const std::string& name, std::size_t length) = 0;
    virtual int defineVariable(const std::string& name, ValueType type, const std::vector<int>& dimensions) = 0;
    virtual void putAttribute(int variable, const std::string& name, const AttributeValue& value) = 0;
    // How a file stores the variable: chunks of these sizes (one per
    // dimension), deflated, with a cache of this many bytes (0: the
    // library's own). Nothing to a dataset in memory.
    virtual void storeInChunks(int variable, const std::vector<std::size_t>& chunk, std::size_t cacheBytes) = 0;
    // A file takes definitions only between these two.
    virtual void beginDefinitions() = 0;
    virtual void endDefinitions() = 0;

    // Rows [firstRow, firstRow + rows) of the variable along its first
    // dimension, each row the length of the others together; values are
    // converted to the variable's type.
    virtual void write(int variable, std::size_t firstRow, std::size_t rows, const short* values) = 0;
    virtual void write(int variable, std::size_t firstRow, std::size_t rows, const float* values) = 0;
    virtual void write(int variable, std::size_t firstRow, std::size_t rows, const double* values) = 0;

    // Everything is written.
    virtual void close() = 0;
};
