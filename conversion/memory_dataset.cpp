#include "conversion/memory_dataset.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

std::size_t sizeOf(ValueType type)
{
    switch (type) {
    case ValueType::Short: return sizeof(int16_t);
    case ValueType::Int: return sizeof(int32_t);
    case ValueType::Float: return sizeof(float);
    case ValueType::Double: return sizeof(double);
    }
    return sizeof(double);
}

// What a row not written holds: the variable's _FillValue, else the value
// NetCDF files give by default.
struct Fill {
    unsigned char bytes[sizeof(double)] = {};
};

template <typename T>
Fill fillOf(T value)
{
    Fill fill;
    std::memcpy(fill.bytes, &value, sizeof value);
    return fill;
}

Fill fillValue(const DatasetVariable& variable)
{
    const AttributeValue* given = findAttribute(variable.attributes, "_FillValue");
    if (given && std::holds_alternative<float>(*given))
        return fillOf(std::get<float>(*given));
    switch (variable.type) {
    case ValueType::Short: return fillOf(int16_t{-32767});
    case ValueType::Int: return fillOf(int32_t{-2147483647});
    case ValueType::Float: return fillOf(9.9692099683868690e+36f);
    case ValueType::Double: return fillOf(9.9692099683868690e+36);
    }
    return {};
}

template <typename To, typename From>
void convertInto(unsigned char* out, const From* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const auto value = static_cast<To>(values[i]);
        std::memcpy(out + i * sizeof(To), &value, sizeof(To));
    }
}

template <typename From>
void convertAll(ValueType type, unsigned char* out, const From* values, std::size_t count)
{
    switch (type) {
    case ValueType::Short: convertInto<int16_t>(out, values, count); break;
    case ValueType::Int: convertInto<int32_t>(out, values, count); break;
    case ValueType::Float: convertInto<float>(out, values, count); break;
    case ValueType::Double: convertInto<double>(out, values, count); break;
    }
}

} // namespace

void ValueBlock::Free::operator()(void* block) const
{
    std::free(block);
}

void ValueBlock::growTo(std::size_t count, const void* fill)
{
    if (count <= size_)
        return;
    if (count > capacity_) {
        const std::size_t capacity = std::max(count, capacity_ + capacity_ / 2);
        void* grown = std::realloc(bytes_.get(), capacity * elementSize_);
        if (!grown)
            throw std::bad_alloc();
        static_cast<void>(bytes_.release()); // realloc took it over
        bytes_.reset(static_cast<unsigned char*>(grown));
        capacity_ = capacity;
    }
    for (std::size_t i = size_; fill && i < count; ++i)
        std::memcpy(bytes_.get() + i * elementSize_, fill, elementSize_);
    size_ = count;
}

ValueBlock::Owned ValueBlock::release()
{
    size_ = capacity_ = 0;
    return std::move(bytes_);
}

int MemoryDataset::defineDimension(const std::string& name, std::size_t length)
{
    dimensions_.push_back({name, length, length == UNLIMITED});
    return static_cast<int>(dimensions_.size()) - 1;
}

int MemoryDataset::defineVariable(const std::string& name, ValueType type, const std::vector<int>& dimensions)
{
    DatasetVariable variable{name, type, dimensions, {}, ValueBlock(sizeOf(type))};
    for (std::size_t d = 1; d < dimensions.size(); ++d)
        variable.rowLength *= dimensions_.at(static_cast<std::size_t>(dimensions[d])).length;
    variable.spectra = dimensions.size() > 1;
    variables_.push_back(std::move(variable));
    return static_cast<int>(variables_.size()) - 1;
}

void MemoryDataset::putAttribute(int variable, const std::string& name, const AttributeValue& value)
{
    auto& attributes = variable == GLOBAL ? attributes_ : variables_.at(static_cast<std::size_t>(variable)).attributes;
    for (auto& [existing, held] : attributes)
        if (existing == name) {
            held = value;
            return;
        }
    attributes.emplace_back(name, value);
}

void MemoryDataset::growTo(DatasetVariable& variable, std::size_t rows)
{
    const Fill fill = fillValue(variable);
    variable.values.growTo(rows * variable.rowLength, fill.bytes);
}

std::size_t MemoryDataset::keptOf(const DatasetVariable& variable, std::size_t rows) const
{
    if (!variable.spectra)
        return rows;
    return std::min(rows, rows_.end()) - std::min(rows, rows_.first);
}

template <typename T>
void MemoryDataset::store(int id, std::size_t firstRow, std::size_t rows, const T* values)
{
    DatasetVariable& variable = variables_.at(static_cast<std::size_t>(id));
    if (!variable.dimensions.empty()) {
        DatasetDimension& first = dimensions_[static_cast<std::size_t>(variable.dimensions.front())];
        if (first.unlimited)
            first.length = std::max(first.length, firstRow + rows);
    }
    // The rows given that are kept, and where they go.
    const std::size_t from = variable.spectra ? std::max(firstRow, rows_.first) : firstRow;
    const std::size_t to = variable.spectra ? std::min(firstRow + rows, rows_.end()) : firstRow + rows;
    if (from >= to)
        return;
    const std::size_t offset = variable.spectra ? rows_.first : 0;
    growTo(variable, from - offset);                                     // rows not given before these are filled
    variable.values.growTo((to - offset) * variable.rowLength, nullptr); // these are written below
    const std::size_t rowLength = variable.rowLength;
    unsigned char* out = variable.values.data() + (from - offset) * rowLength * variable.values.elementSize();
    convertAll(variable.type, out, values + (from - firstRow) * rowLength, (to - from) * rowLength);
}

void MemoryDataset::write(int variable, std::size_t firstRow, std::size_t rows, const short* values)
{
    store(variable, firstRow, rows, values);
}

void MemoryDataset::write(int variable, std::size_t firstRow, std::size_t rows, const float* values)
{
    store(variable, firstRow, rows, values);
}

void MemoryDataset::write(int variable, std::size_t firstRow, std::size_t rows, const double* values)
{
    store(variable, firstRow, rows, values);
}

// Every variable as long as its first dimension, as a file reads.
void MemoryDataset::close()
{
    for (DatasetVariable& variable : variables_)
        if (!variable.dimensions.empty())
            growTo(variable,
                   keptOf(variable, dimensions_[static_cast<std::size_t>(variable.dimensions.front())].length));
}

const AttributeValue* findAttribute(const std::vector<DatasetAttribute>& attributes, const std::string& name)
{
    for (const auto& [existing, value] : attributes)
        if (existing == name)
            return &value;
    return nullptr;
}
