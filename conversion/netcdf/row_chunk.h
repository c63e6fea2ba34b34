#pragma once
// Spectra of one pixel set gathered until a chunk's worth can go to the
// file in one write per variable.

#include "core/record_fields.h"
#include "core/spectrum_record.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <vector>

class SpectrumBlock {
public:
    // Empties the block for spectra of `values` values each, `capacity` at most.
    void start(int pixelSet, std::size_t values, std::size_t capacity)
    {
        pixelSet_ = pixelSet;
        valuesPerSpectrum_ = values;
        capacity_ = capacity;
        rows_ = 0;
        values_.resize(values * capacity);
        for (auto& column : fields_)
            column.resize(capacity);
    }

    // Adds a spectrum; its values' row, for the caller to mend.
    float* add(const SpectrumRecord& record, const float* pixels)
    {
        float* row = values_.data() + rows_ * valuesPerSpectrum_;
        std::copy_n(pixels, valuesPerSpectrum_, row);
        for (std::size_t f = 0; f < fields_.size(); ++f)
            fields_[f][rows_] = datasetFields()[f]->value(record);
        ++rows_;
        return row;
    }

    int pixelSet() const { return pixelSet_; }
    std::size_t rows() const { return rows_; }
    bool full() const { return rows_ == capacity_; }
    const float* values() const { return values_.data(); }
    const std::vector<double>& field(std::size_t f) const { return fields_[f]; }

private:
    int pixelSet_ = -1;
    std::size_t valuesPerSpectrum_ = 0;
    std::size_t capacity_ = 0;
    std::size_t rows_ = 0;
    std::vector<float> values_;
    std::array<std::vector<double>, RECORD_FIELDS> fields_;
};
