// The transposed text layout: thirteen label rows of one cell per spectrum,
// then one row per value, led by its wavelength.

#include "readback/output_record_fields.h"
#include "readback/output_source.h"
#include "core/pixel_count.h"

#include <cmath>
#include <string>

namespace {

class TransposedTable : public OutputSource {
public:
    TransposedTable(OutputLines lines, char delimiter, std::string timeRow, std::vector<double>& wavelengths)
        : lines_(std::move(lines)), delimiter_(delimiter), line_(std::move(timeRow))
    {
        readLabelRows();
        readValueRows(wavelengths);
    }

    bool next(OutputSpectrum& spectrum) override
    {
        if (next_ >= records_.size())
            return false;
        spectrum.record = records_[next_];
        const std::size_t count = valueRows_;
        spectrum.values.resize(count);
        for (std::size_t k = 0; k < count; ++k)
            spectrum.values[k] = values_[k * records_.size() + next_];
        ++next_;
        return true;
    }

    std::int64_t position() const override { return static_cast<std::int64_t>(next_); }

    void seek(std::int64_t position) override
    {
        if (position < 0 || static_cast<std::size_t>(position) > records_.size())
            throw OutputReadError("no spectrum " + std::to_string(position) + " in the table");
        next_ = static_cast<std::size_t>(position);
    }

private:
    // Reads one row that starts with `label`; each further cell goes to take(j, cell).
    template <typename Take>
    std::size_t readRow(const std::string& label, Take&& take)
    {
        std::string_view cell;
        Cells cells(line_, delimiter_);
        cells.next(cell);
        if (!label.empty() && cell != label)
            lines_.fail("the row \"" + label + "\" was expected, found \"" + std::string(cell) + "\"");
        std::size_t j = 0;
        while (cells.next(cell))
            take(j++, cell);
        return j;
    }

    void readLabelRows()
    {
        for (int field = 0; field < RECORD_FIELDS; ++field) {
            const char* label = recordFields()[static_cast<std::size_t>(field)].rowLabel;
            if (field > 0 && !lines_.next(line_))
                lines_.fail(std::string("the table ends before its row \"") + label + "\"");
            const std::size_t cells = readRow(label, [&](std::size_t j, std::string_view cell) {
                if (field == 0)
                    records_.push_back(blankRecord());
                if (j >= records_.size())
                    lines_.fail("the row has more cells than the \"Time\" row");
                if (!setRecordField(records_[j], field, cell))
                    lines_.fail("cell " + std::to_string(j + 1) + " is not a number: \"" + std::string(cell) + "\"");
            });
            if (cells != records_.size())
                lines_.fail("the row has " + std::to_string(cells) + " cells for " + std::to_string(records_.size()) +
                            " spectra");
        }
        for (const SpectrumRecord& record : records_)
            if (!samePixelSet(record, records_.front()))
                lines_.fail("the spectra of a transposed table differ in their pixel sets");
    }

    void readValueRows(std::vector<double>& wavelengths)
    {
        const std::size_t expected =
            records_.empty() ? 0 : static_cast<std::size_t>(storedPixelCount(records_.front()));
        values_.reserve(expected * records_.size());
        while (lines_.next(line_)) {
            if (line_.empty()) {
                if (lines_.next(line_))
                    lines_.fail("a blank line inside the table");
                break;
            }
            if (valueRows_ == expected)
                lines_.fail("the table has more value rows than the " + std::to_string(expected) + " declared");
            readValueRow(wavelengths);
            ++valueRows_;
        }
        if (valueRows_ != expected)
            lines_.fail("the table ends after " + std::to_string(valueRows_) + " of its " + std::to_string(expected) +
                        " value rows");
    }

    void readValueRow(std::vector<double>& wavelengths)
    {
        double wavelength = NAN;
        const std::size_t cells = readRow({}, [&](std::size_t j, std::string_view cell) {
            float value = 0;
            if (j >= records_.size() || !parseFloat(cell, value))
                lines_.fail("cell " + std::to_string(j + 1) + " is not a value: \"" + std::string(cell) + "\"");
            values_.push_back(value);
        });
        const std::string_view label = std::string_view(line_).substr(0, line_.find(delimiter_));
        if (label != "?" && !parseDouble(label, wavelength))
            lines_.fail("the row's wavelength is not a number: \"" + std::string(label) + "\"");
        if (cells != records_.size())
            lines_.fail("the row has " + std::to_string(cells) + " values for " + std::to_string(records_.size()) +
                        " spectra");
        wavelengths.push_back(wavelength);
    }

    static SpectrumRecord blankRecord()
    {
        SpectrumRecord record{};
        record.channel = -1;
        return record;
    }

    OutputLines lines_;
    char delimiter_;
    std::string line_;
    std::vector<SpectrumRecord> records_;
    std::vector<float> values_; // row by row: value k of spectrum j at k * spectra + j
    std::size_t valueRows_ = 0;
    std::size_t next_ = 0;
};

} // namespace

std::unique_ptr<OutputSource> transposedTable(OutputLines lines, char delimiter, std::string timeRow,
                                              std::vector<double>& wavelengths)
{
    return std::make_unique<TransposedTable>(std::move(lines), delimiter, std::move(timeRow), wavelengths);
}
