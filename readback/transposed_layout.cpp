#include "readback/transposed_layout.h"

#include "readback/line_finder.h"
#include "readback/output_record_fields.h"
#include "core/pixel_count.h"
#include "core/thread_or_here.h"

#include <cmath>
#include <exception>
#include <thread>

namespace {

// A table whose "Time" row is longer has its value rows found by a thread
// of their own while its label rows are parsed.
constexpr std::size_t LONG_ROW = 1 << 14;

class LayoutReader {
public:
    LayoutReader(OutputLines& lines, std::FILE* file, char delimiter)
        : lines_(lines), file_(file), delimiter_(delimiter)
    {}

    TransposedLayout read(std::string timeRow, std::vector<double>& wavelengths)
    {
        const long firstLabelLine = lines_.lineNumber();
        std::vector<std::string> labelRows = readLabelLines(std::move(timeRow));
        layout_.firstValueLine = lines_.lineNumber() + 1;
        FoundLines found;
        std::exception_ptr findFailure;
        {
            const auto find = [&] {
                try {
                    found = findValueRows();
                } catch (...) {
                    findFailure = std::current_exception();
                }
            };
            std::jthread finder;
            if (labelRows.size() == RECORD_FIELDS && labelRows.front().size() > LONG_ROW)
                finder = threadOrHere(find);
            else if (labelRows.size() == RECORD_FIELDS)
                found = findValueRows();
            parseLabelRows(labelRows, firstLabelLine);
        }
        if (findFailure)
            std::rethrow_exception(findFailure);
        takeValueRows(found, wavelengths);
        return std::move(layout_);
    }

private:
    // The label rows' lines, the "Time" row's first; fewer when the table
    // ends before them.
    std::vector<std::string> readLabelLines(std::string timeRow)
    {
        std::vector<std::string> rows;
        rows.push_back(std::move(timeRow));
        std::string line;
        while (rows.size() < RECORD_FIELDS && lines_.next(line))
            rows.push_back(std::move(line));
        return rows;
    }

    // Reads one row that starts with `label`; each further cell goes to take(j, cell).
    template <typename Take>
    std::size_t readRow(std::string_view text, long line, const char* label, Take&& take)
    {
        std::string_view cell;
        Cells cells(text, delimiter_);
        cells.next(cell);
        if (cell != label)
            lines_.failOnLine(line, std::string("the row \"") + label + "\" was expected, found \"" +
                                        std::string(cell) + "\"");
        std::size_t j = 0;
        while (cells.next(cell))
            take(j++, cell);
        return j;
    }

    // Parses the label rows into the records, failing as when read one by
    // one: with a row's own errors before the table's end after it.
    void parseLabelRows(const std::vector<std::string>& rows, long firstLine)
    {
        for (std::size_t field = 0; field < RECORD_FIELDS; ++field) {
            const char* label = recordFields()[field].rowLabel;
            const long line = firstLine + static_cast<long>(field);
            if (field == rows.size())
                lines_.failOnLine(line - 1, std::string("the table ends before its row \"") + label + "\"");
            const std::size_t cells = readRow(rows[field], line, label, [&](std::size_t j, std::string_view cell) {
                if (field == 0)
                    layout_.records.push_back(blankRecord());
                if (j >= layout_.records.size())
                    lines_.failOnLine(line, "the row has more cells than the \"Time\" row");
                if (!setRecordField(layout_.records[j], static_cast<int>(field), cell))
                    lines_.failOnLine(line, "cell " + std::to_string(j + 1) + " is not a number: \"" +
                                                std::string(cell) + "\"");
            });
            if (cells != layout_.records.size())
                lines_.failOnLine(line, "the row has " + std::to_string(cells) + " cells for " +
                                            std::to_string(layout_.records.size()) + " spectra");
        }
        for (const SpectrumRecord& record : layout_.records)
            if (!samePixelSet(record, layout_.records.front()))
                lines_.failOnLine(firstLine + RECORD_FIELDS - 1,
                                  "the spectra of a transposed table differ in their pixel sets");
    }

    // Finds where the lines after the label rows lie, without checking them,
    // so that it can go on beside the label rows' parsing.
    FoundLines findValueRows() const
    {
        return findLines(file_, lines_.offset(), layout_.firstValueLine - 1, delimiter_);
    }

    // Checks the lines found as the value rows the label rows declare, and
    // reads their wavelengths; their cells are read by the blocks.
    void takeValueRows(const FoundLines& found, std::vector<double>& wavelengths)
    {
        const std::size_t expected =
            layout_.records.empty() ? 0 : static_cast<std::size_t>(storedPixelCount(layout_.records.front()));
        for (const FoundLines::Line& line : found.lines) {
            const long number = layout_.firstValueLine + static_cast<long>(layout_.rows.size());
            if (layout_.rows.size() == expected)
                lines_.failOnLine(number,
                                  "the table has more value rows than the " + std::to_string(expected) + " declared");
            double wavelength = NAN;
            if (line.head != "?" && !parseDouble(line.head, wavelength))
                lines_.failOnLine(number, "the row's wavelength is not a number: \"" + line.head + "\"");
            wavelengths.push_back(wavelength);
            ValueRow& row = layout_.rows.emplace_back();
            row.lineStart = line.start;
            row.end = line.end;
            if (line.hasDelimiter)
                row.valuesStart = row.cursor = line.start + static_cast<std::int64_t>(line.head.size() + 1);
        }
        if (found.lineAfterBlank != 0)
            lines_.failOnLine(found.lineAfterBlank, "a blank line inside the table");
        if (layout_.rows.size() != expected)
            lines_.failOnLine(found.lastLine, "the table ends after " + std::to_string(layout_.rows.size()) +
                                                  " of its " + std::to_string(expected) + " value rows");
    }

    static SpectrumRecord blankRecord()
    {
        SpectrumRecord record{};
        record.channel = -1;
        return record;
    }

    OutputLines& lines_;
    std::FILE* file_;
    char delimiter_;
    TransposedLayout layout_;
};

} // namespace

TransposedLayout readTransposedLayout(OutputLines& lines, std::FILE* file, char delimiter, std::string timeRow,
                                      std::vector<double>& wavelengths)
{
    return LayoutReader(lines, file, delimiter).read(std::move(timeRow), wavelengths);
}
