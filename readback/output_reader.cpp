#include "readback/output_reader.h"

#include "readback/output_record_fields.h"
#include "readback/output_source.h"
#include "core/file_path.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace {

constexpr std::string_view FIRST_LINE_START = "Tidelume processed data file. Serial: ";

// Only a regular file can be an output: a FIFO would block the first open
// and a device such as /dev/zero would be read without end. Asked of the
// name, so that nothing is opened before the answer.
void requireRegularFile(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(pathFromUtf8(path), error);
    if (error)
        throw OutputReadError("Cannot open \"" + path + "\": " + error.message());
    if (!std::filesystem::is_regular_file(status))
        throw OutputReadError("Cannot open \"" + path + "\": it is not a regular file");
}

bool startsWith(const std::string& path, std::string_view signature)
{
    std::ifstream stream(pathFromUtf8(path), std::ios::binary);
    std::string start(signature.size(), '\0');
    stream.read(start.data(), static_cast<std::streamsize>(start.size()));
    return stream && start == signature;
}

// NetCDF-4 files are HDF5 files; the classic forms start "CDF".
bool startsNetcdf(const std::string& path)
{
    using namespace std::string_view_literals;
    return startsWith(path, "\x89HDF\r\n\x1a\n"sv) || startsWith(path, "CDF"sv);
}

// The rest of a header line after its fixed start.
std::string headerField(OutputLines& lines, std::string_view start)
{
    std::string line;
    if (!lines.next(line))
        lines.fail("the file ends inside its header lines");
    if (!line.starts_with(start))
        lines.fail("a header line starting \"" + std::string(start) + "\" was expected");
    return line.substr(start.size());
}

// Splits "a<separator>b" at the last separator.
void splitLast(OutputLines& lines, const std::string& text, std::string_view separator, std::string& a, std::string& b)
{
    const std::size_t at = text.rfind(separator);
    if (at == std::string::npos)
        lines.fail("\"" + std::string(separator) + "\" is missing from the header line");
    a = text.substr(0, at);
    b = text.substr(at + separator.size());
}

OutputHeader readHeader(OutputLines& lines)
{
    OutputHeader header;
    splitLast(lines, headerField(lines, FIRST_LINE_START), " Orvantis v", header.serial, header.programVersion);
    header.sourceFile = headerField(lines, "Source file: ");
    header.calibrationFile = headerField(lines, "Calibration file: ");
    splitLast(lines, headerField(lines, "Channel: "), ", ", header.channelName, header.channelUnits);
    return header;
}

// Characters that numbers are written with: as a delimiter they would make
// the cells ambiguous.
bool usableDelimiter(char d)
{
    return std::string_view("0123456789.+-eEnNaAiIfF?\r\n").find(d) == std::string_view::npos;
}

std::string normalColumnLabels(char d)
{
    std::string labels = recordFields()[0].columnLabel;
    for (int field = 1; field < RECORD_FIELDS; ++field)
        labels += d + std::string(recordFields()[static_cast<std::size_t>(field)].columnLabel);
    return labels;
}

std::vector<double> headerWavelengths(OutputLines& lines, std::string_view cellsAfterLabels, char d)
{
    std::vector<double> wavelengths;
    Cells cells(cellsAfterLabels, d);
    std::string_view cell;
    while (cells.next(cell)) {
        double wavelength = NAN;
        if (cell != "?" && !parseDouble(cell, wavelength))
            lines.fail("a wavelength of the column header is not a number: \"" + std::string(cell) + "\"");
        wavelengths.push_back(wavelength);
    }
    return wavelengths;
}

} // namespace

OutputReader::OutputReader(const std::string& path, const TableReading& reading)
{
    requireRegularFile(path);
    if (startsNetcdf(path)) {
        layout_ = OutputLayout::NetCdf;
        source_ = netcdfSpectra(path, header_, wavelengths_);
        return;
    }
    if (!startsWith(path, FIRST_LINE_START)) {
        source_ = binaryRecords(path);
        return;
    }
    OutputLines lines(path);
    header_ = readHeader(lines);
    std::string first;
    if (!lines.next(first) || !first.starts_with("Time"))
        lines.fail("the table after the header lines is missing");
    if (first.size() > 4)
        delimiter_ = first[4];
    if (!usableDelimiter(delimiter_))
        lines.fail(std::string("the delimiter '") + delimiter_ + "' cannot be told apart from the numbers");
    const std::string labels = normalColumnLabels(delimiter_);
    if (first == labels || first.starts_with(labels + delimiter_)) {
        layout_ = OutputLayout::Normal;
        if (first.size() > labels.size())
            wavelengths_ = headerWavelengths(lines, std::string_view(first).substr(labels.size() + 1), delimiter_);
        source_ = normalRows(std::move(lines), delimiter_);
    } else {
        layout_ = OutputLayout::Transposed;
        source_ = transposedTable(std::move(lines), delimiter_, std::move(first), wavelengths_, reading);
    }
}

OutputReader::~OutputReader() = default;

bool OutputReader::next(OutputSpectrum& spectrum)
{
    return source_->next(spectrum);
}

std::int64_t OutputReader::position() const
{
    return source_->position();
}

void OutputReader::seek(std::int64_t position)
{
    source_->seek(position);
}

ValueMarks OutputReader::takeValueMarks()
{
    return source_->takeValueMarks();
}
