#pragma once
// A dataset held in memory in the layout a NetCDF output has: what a
// library caller gets for a file instead of an output beside it. Rows a
// variable was not given hold its fill value, as a file's would.

#include "conversion/dataset_sink.h"

#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// A variable's values, in one block of memory that grows with realloc: on
// systems that move large blocks by remapping pages, growing never holds
// two copies of the values, and the block can be handed on as it is.
class ValueBlock {
public:
    struct Free {
        void operator()(void* block) const;
    };
    using Owned = std::unique_ptr<unsigned char, Free>;

    explicit ValueBlock(std::size_t elementSize) : elementSize_(elementSize) {}

    std::size_t elementSize() const { return elementSize_; }
    std::size_t size() const { return size_; } // in elements
    unsigned char* data() const { return bytes_.get(); }
    // Grows to `count` elements, the new ones set to `fill` (elementSize
    // bytes), or left for the caller to set when it is null.
    void growTo(std::size_t count, const void* fill);
    // The block, which the caller now owns; this one is empty after.
    Owned release();

private:
    std::size_t elementSize_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    Owned bytes_;
};

struct DatasetDimension {
    std::string name;
    std::size_t length = 0;
    bool unlimited = false;
};

using DatasetAttribute = std::pair<std::string, AttributeValue>;

struct DatasetVariable {
    std::string name;
    ValueType type = ValueType::Float;
    std::vector<int> dimensions;
    std::vector<DatasetAttribute> attributes;
    ValueBlock values;
    bool spectra = false; // two-dimensional: only the dataset's rows of spectra are kept

    std::size_t rowLength = 1; // values per row along the first dimension
};

// The rows of the spectra that a dataset keeps: all of them, none (for a
// caller that reads them later, a few at a time), or those of one stretch.
struct SpectraRows {
    std::size_t first = 0;
    std::size_t count = std::numeric_limits<std::size_t>::max();

    std::size_t end() const { return count > std::numeric_limits<std::size_t>::max() - first ? count : first + count; }
};

class MemoryDataset final : public DatasetSink {
public:
    // Keeps the values of every one-dimensional variable, and of the
    // two-dimensional ones (the spectra) those rows; a variable of spectra
    // then starts at row `rows.first`.
    explicit MemoryDataset(SpectraRows rows = {}) : rows_(rows) {}

    int defineDimension(const std::string& name, std::size_t length) override;
    int defineVariable(const std::string& name, ValueType type, const std::vector<int>& dimensions) override;
    void putAttribute(int variable, const std::string& name, const AttributeValue& value) override;
    void storeInChunks(int, const std::vector<std::size_t>&, std::size_t) override {}
    void beginDefinitions() override {}
    void endDefinitions() override {}
    void write(int variable, std::size_t firstRow, std::size_t rows, const short* values) override;
    void write(int variable, std::size_t firstRow, std::size_t rows, const float* values) override;
    void write(int variable, std::size_t firstRow, std::size_t rows, const double* values) override;
    void close() override;

    const std::vector<DatasetDimension>& dimensions() const { return dimensions_; }
    std::vector<DatasetVariable>& variables() { return variables_; }
    const std::vector<DatasetVariable>& variables() const { return variables_; }
    const std::vector<DatasetAttribute>& attributes() const { return attributes_; }

private:
    template <typename T>
    void store(int variable, std::size_t firstRow, std::size_t rows, const T* values);
    // The variable grown to `rows` rows, the new ones filled.
    void growTo(DatasetVariable& variable, std::size_t rows);
    // The rows of the variable kept of the dataset's first `rows`.
    std::size_t keptOf(const DatasetVariable& variable, std::size_t rows) const;

    const SpectraRows rows_;
    std::vector<DatasetDimension> dimensions_;
    std::vector<DatasetVariable> variables_;
    std::vector<DatasetAttribute> attributes_;
};

// The value of the attribute, null when the variable has none of that name.
const AttributeValue* findAttribute(const std::vector<DatasetAttribute>& attributes, const std::string& name);
