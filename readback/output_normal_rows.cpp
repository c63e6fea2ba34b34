// Rows of the normal text layout: the thirteen fields, then numPix values.

#include "readback/output_record_fields.h"
#include "readback/output_source.h"
#include "readback/short_decimal.h"
#include "core/pixel_count.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

class NormalRows : public OutputSource {
public:
    NormalRows(OutputLines lines, char delimiter) : lines_(std::move(lines)), delimiter_(delimiter)
    {
        marks_.rowFirst.push_back(0);
    }

    bool next(OutputSpectrum& spectrum) override
    {
        const std::int64_t start = lines_.offset();
        if (!lines_.next(line_))
            return false;
        if (line_.empty()) {
            if (lines_.next(line_))
                lines_.fail("a blank line inside the table");
            return false;
        }
        parseRow(spectrum);
        if (marking_) {
            marks_.rowStarts.push_back(start);
            marks_.rowFirst.push_back(marks_.marks.size());
        }
        return true;
    }

    std::int64_t position() const override { return lines_.offset(); }

    void seek(std::int64_t position) override
    {
        lines_.seek(position);
        marking_ = false; // rows read from here on are not the next ones
        marks_ = {};
    }

    ValueMarks takeValueMarks() override
    {
        marking_ = false;
        return std::exchange(marks_, {});
    }

private:
    void parseRow(OutputSpectrum& spectrum)
    {
        Cells cells(line_, delimiter_);
        std::string_view cell;
        spectrum.record = SpectrumRecord{};
        spectrum.record.channel = -1;
        for (int field = 0; field < RECORD_FIELDS; ++field) {
            if (!cells.next(cell))
                lines_.fail("the row ends after " + std::to_string(field) + " of its 13 fields");
            if (!setRecordField(spectrum.record, field, cell))
                lines_.fail("field " + std::to_string(field + 1) + " is not a number: \"" + std::string(cell) + "\"");
        }
        const int count = storedPixelCount(spectrum.record);
        spectrum.values.resize(static_cast<std::size_t>(count));
        // The values in one pass each: scanned up to their delimiter.
        std::string_view rest = cells.rest();
        bool more = !cells.done();
        for (int k = 0; k < count; ++k) {
            if (!more)
                lines_.fail("the row ends after " + std::to_string(k) + " of its " + std::to_string(count) + " values");
            if (marking_ && static_cast<std::size_t>(k) % ValueMarks::STEP == 0)
                marks_.marks.push_back(static_cast<std::uint32_t>(rest.data() - line_.data()));
            float value = 0;
            std::size_t length = 0;
            if (!parseFloatCell(rest, delimiter_, value, length))
                failValue(k, rest.substr(0, length));
            spectrum.values[static_cast<std::size_t>(k)] = value;
            more = length < rest.size();
            rest.remove_prefix(std::min(length + 1, rest.size()));
        }
        if (more)
            lines_.fail("the row has more than the " + std::to_string(count) + " values it declares");
    }

    [[noreturn]] void failValue(int k, std::string_view cell) const
    {
        lines_.fail("value " + std::to_string(k + 1) + " is not a number: \"" + std::string(cell) + "\"");
    }

    OutputLines lines_;
    char delimiter_;
    std::string line_;
    ValueMarks marks_;
    bool marking_ = true;
};

} // namespace

std::unique_ptr<OutputSource> normalRows(OutputLines lines, char delimiter)
{
    return std::make_unique<NormalRows>(std::move(lines), delimiter);
}
